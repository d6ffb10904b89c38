#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/clock.h"
#include "platform/filesys.h"
#include "zpk/reader.h"
#include "zpktest.h"

using namespace zpktest;
using kwtest::ReadFile;
using kwtest::WriteFile;
namespace fs = std::filesystem;

namespace {

class Archive : public ::testing::Test {
 protected:
  void SetUp() override { kw::SetFixedClock(1700000000u); }
  void TearDown() override { kw::SetFixedClock(std::nullopt); }

  std::string Put(const std::string& name, const std::vector<uint8_t>& data) {
    std::string p = dir.file(name);
    WriteFile(p, data);
    return p;
  }
  ArchiveHandle OpenWith(const std::string& path, uint32_t options, uint32_t limit = kArchiveNoLimit) {
    ArchiveHandle h = ArchiveOpenSized(path.c_str(), options, Callback, limit);
    if (h) ArchiveSetUserData(h, reinterpret_cast<ArchiveUserValue>(&calls));
    return h;
  }
  std::vector<EntryInfo> Entries(ArchiveHandle h, const char* pattern = "*") {
    std::vector<EntryInfo> out;
    ArchiveEnumFiles(
        h, pattern,
        [](const EntryInfo* e, ArchiveUserValue u, int) {
          reinterpret_cast<std::vector<EntryInfo>*>(u)->push_back(*e);
          return 1;
        },
        reinterpret_cast<ArchiveUserValue>(&out));
    return out;
  }

  kwtest::TempDir dir;
  Calls calls;
};

TEST_F(Archive, PathWithoutExtensionGetsZpk) {
  ArchiveHandle h = ArchiveOpen(dir.file("SETUP").c_str(), 0, nullptr);
  ASSERT_NE(h, nullptr);
  ArchiveInfo info;
  ASSERT_TRUE(ArchiveGetInfo(h, &info));
  EXPECT_STREQ(info.volumeName, "SETUP.ZPK");
  EXPECT_TRUE(ArchiveClose(h));
  EXPECT_TRUE(fs::exists(dir.file("SETUP.ZPK")));
  EXPECT_FALSE(fs::exists(dir.file("SETUP")));

  h = ArchiveOpen(dir.file("SETUP.EXE").c_str(), 0, nullptr);
  ASSERT_NE(h, nullptr);
  ArchiveClose(h);
  EXPECT_TRUE(fs::exists(dir.file("SETUP.EXE")));
  EXPECT_FALSE(fs::exists(dir.file("SETUP.EXE.ZPK")));
}

TEST_F(Archive, NewArchiveBytes) {
  std::string p = dir.file("NEW.ZPK");
  ArchiveHandle h = ArchiveOpen(p.c_str(), kArchiveOpenMarkOption, nullptr);
  ASSERT_NE(h, nullptr);
  ArchiveClose(h);
  std::vector<uint8_t> b = ReadFile(p);
  ASSERT_EQ(b.size(), 32u + 7 + 10);
  EXPECT_EQ(BE16(b, 11), 1);  // option 0x4 recorded
  EXPECT_EQ(BE32(b, 14), 1700000000u);
  EXPECT_EQ(BE32(b, 18), 1700000000u);
  EXPECT_EQ(BE16(b, 22), 1);
  EXPECT_EQ(std::string(b.begin() + 28, b.begin() + 35), "NEW.ZPK");
  EXPECT_EQ(std::string(b.begin() + 39, b.begin() + 43), "QVCF");
  EXPECT_EQ(BE16(b, 43), 0);
  EXPECT_EQ(BE32(b, 45), 39u);
}

TEST_F(Archive, ForeignBytesBeforeHeader) {
  std::string src = Put("a.txt", TextBytes(5000, 1));
  std::string p = dir.file("A.ZPK");
  ArchiveHandle h = ArchiveOpen(p.c_str(), 0, nullptr);
  ASSERT_TRUE(ArchiveAddFile(h, src.c_str(), 0));
  ArchiveClose(h);
  std::vector<uint8_t> b = ReadFile(p);
  b.insert(b.begin(), {'j', 'u', 'n', 'k', '!'});
  WriteFile(p, b);

  h = ArchiveOpen(p.c_str(), 0, nullptr);
  ASSERT_NE(h, nullptr) << ArchiveGetLastError();
  EXPECT_TRUE(ArchiveFindFile(h, "A.TXT"));
  std::string second = Put("b.txt", TextBytes(3000, 2));
  ASSERT_TRUE(ArchiveAddFile(h, second.c_str(), 0));
  ArchiveClose(h);
  b = ReadFile(p);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 5), "junk!");
  // The end record counts from the header at offset 5.
  EXPECT_EQ(BE32(b, b.size() - 4), b.size() - 10 - 5);
  kw::zpk::ArchiveReader r;
  ASSERT_TRUE(r.Open(p).ok());
  EXPECT_EQ(r.volumes()[0].start, 5);
  EXPECT_TRUE(r.Test().ok());
}

TEST_F(Archive, BackwardSearchReachesOnly1024Bytes) {
  std::vector<uint8_t> loader(3000, 0x90);
  loader[0] = 'M';
  loader[1] = 'Z';
  for (size_t junk : {1014u, 1015u}) {
    std::string p = dir.file("L" + std::to_string(junk) + ".EXE");
    WriteFile(p, loader);
    ArchiveHandle h = ArchiveOpen(p.c_str(), kArchiveOpenAppend, nullptr);
    ASSERT_NE(h, nullptr);
    ArchiveClose(h);
    std::vector<uint8_t> b = ReadFile(p);
    b.insert(b.end(), junk, 0);
    WriteFile(p, b);
    h = ArchiveOpen(p.c_str(), kArchiveOpenNoCreate, nullptr);
    if (junk == 1014) {  // end record starts 1024 bytes before the end
      ASSERT_NE(h, nullptr) << ArchiveGetLastError();
      ArchiveClose(h);
    } else {             // 1025 bytes before: not found
      EXPECT_EQ(h, nullptr);
      EXPECT_EQ(ArchiveGetLastError(), kZpkNoArchive);
    }
  }
}

TEST_F(Archive, AppendToLoaderIgnoresRecordsInIt) {
  // A loader that itself ends with something that looks like an end record.
  std::vector<uint8_t> loader(4000, 0x55);
  loader[0] = 'M';
  loader[1] = 'Z';
  std::vector<uint8_t> fakeEnd = kw::zpk::EncodeEndRecord(100);
  std::copy(fakeEnd.begin(), fakeEnd.end(), loader.end() - 10);
  std::string p = Put("SETUP.EXE", loader);
  ArchiveHandle h = OpenWith(p, 0x10008, 1457664);
  ASSERT_NE(h, nullptr) << ArchiveGetLastError();
  std::string src = Put("SETUP.INF", TextBytes(1000, 3));
  ASSERT_TRUE(ArchiveAddFile(h, src.c_str(), 0));
  ArchiveClose(h);
  std::vector<uint8_t> b = ReadFile(p);
  ASSERT_GT(b.size(), 4000u);
  EXPECT_TRUE(std::equal(loader.begin(), loader.end(), b.begin()));
  EXPECT_EQ(std::string(b.begin() + 4000, b.begin() + 4004), "QVCF");
  EXPECT_EQ(BE32(b, b.size() - 4), b.size() - 10 - 4000);
  EXPECT_EQ(std::string(b.begin() + 4028, b.begin() + 4037), "SETUP.EXE");

  // Reopened without 0x8 it is found from the end, with its entry.
  h = ArchiveOpen(p.c_str(), kArchiveOpenReadOnly, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(ArchiveFindFile(h, "setup.inf"));
  ArchiveClose(h);
}

TEST_F(Archive, ReplacingAnEntryDoesNotGrowTheArchive) {
  std::string src = Put("same.txt", TextBytes(20000, 4));
  std::string other = Put("other.txt", TextBytes(7000, 5));
  std::string p = dir.file("R.ZPK");
  ArchiveHandle h = ArchiveOpen(p.c_str(), 0, nullptr);
  ASSERT_TRUE(ArchiveAddFile(h, src.c_str(), 0));
  ASSERT_TRUE(ArchiveAddFile(h, other.c_str(), 0));
  uint64_t before = fs::file_size(p);
  std::vector<uint8_t> replacement = TextBytes(20000, 6);
  WriteFile(src, replacement);
  ASSERT_TRUE(ArchiveAddFile(h, src.c_str(), 0));
  std::vector<EntryInfo> list = Entries(h);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_STREQ(list[0].longName, "other.txt");
  EXPECT_STREQ(list[1].longName, "same.txt");
  EXPECT_EQ(list[1].crc, Crc(replacement));
  ArchiveClose(h);
  // Same size text of the same kind: within a few bytes of the old size.
  EXPECT_LT(fs::file_size(p), before + 200);
  kw::zpk::ArchiveReader r;
  ASSERT_TRUE(r.Open(p).ok());
  ASSERT_EQ(r.files().size(), 2u);
  std::vector<uint8_t> got;
  ASSERT_TRUE(r.Unpack(r.files()[1], [&](const uint8_t* d, size_t n) {
                 got.insert(got.end(), d, d + n);
                 return true;
               }).ok());
  EXPECT_EQ(got, replacement);
}

TEST_F(Archive, WhatGetsStoredAndWhatDeflated) {
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    uint16_t method;
  } cases[] = {
      {"empty.bin", {}, 0},
      {"random.bin", RandomBytes(50000, 7), 0},
      {"tiny.txt", {'h', 'i'}, 0},
      {"text.txt", TextBytes(50000, 8), 4},
      {"zeros.bin", std::vector<uint8_t>(100000, 0), 4},
  };
  std::string p = dir.file("M.ZPK");
  ArchiveHandle h = ArchiveOpen(p.c_str(), 0, nullptr);
  for (const Case& c : cases) ASSERT_TRUE(ArchiveAddFile(h, Put(c.name, c.data).c_str(), 0)) << c.name;
  std::vector<EntryInfo> list = Entries(h);
  ArchiveClose(h);
  ASSERT_EQ(list.size(), std::size(cases));
  std::vector<uint8_t> b = ReadFile(p);
  kw::zpk::ArchiveReader r;
  ASSERT_TRUE(r.Open(p).ok());
  for (size_t i = 0; i < list.size(); ++i) {
    const Case& c = cases[i];
    const EntryInfo& e = list[i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(e.method, c.method);
    EXPECT_EQ(e.unpackedSize, c.data.size());
    EXPECT_EQ(e.crc, Crc(c.data));
    EXPECT_EQ(e.flags, 0);
    EXPECT_EQ(e.attributes & 0x20u, 0x20u);
    const kw::zpk::Piece& piece = r.files()[i].pieces[0];
    std::vector<uint8_t> data(b.begin() + piece.dataPos, b.begin() + piece.dataPos + piece.packed);
    if (c.method == 0) {
      EXPECT_EQ(e.packedSize, c.data.size());
      EXPECT_EQ(data, c.data);
    } else {
      EXPECT_LT(e.packedSize, c.data.size());
      EXPECT_EQ(data, Deflate9(c.data));  // one zlib stream, level 9
    }
  }
}

TEST_F(Archive, DamagedRecordsRefuseToOpen) {
  std::string src = Put("f.txt", TextBytes(3000, 9));
  std::string p = dir.file("D.ZPK");
  ArchiveHandle h = ArchiveOpen(p.c_str(), 0, nullptr);
  ASSERT_TRUE(ArchiveAddFile(h, src.c_str(), 0));
  ArchiveClose(h);
  const std::vector<uint8_t> good = ReadFile(p);
  struct Case {
    const char* what;
    size_t offset;
    uint8_t xorWith;
    uint32_t error;
  } cases[] = {
      {"option word", 12, 0x01, kZpkChecksum},
      {"header name", 29, 0x20, kZpkChecksum},
      {"header time", 17, 0x10, kZpkChecksum},
      {"entry size field", 37 + 27, 0x01, kZpkChecksum},
      {"entry name", 37 + 37, 0x20, kZpkChecksum},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> d = good;
    d[c.offset] ^= c.xorWith;
    WriteFile(p, d);
    EXPECT_EQ(ArchiveOpen(p.c_str(), 0, nullptr), nullptr) << c.what;
    EXPECT_EQ(ArchiveGetLastError(), c.error) << c.what;
  }
  // Cut inside the entry's data: the end record is missing.
  std::vector<uint8_t> cut(good.begin(), good.end() - 20);
  WriteFile(p, cut);
  EXPECT_EQ(ArchiveOpen(p.c_str(), kArchiveOpenReadOnly, nullptr), nullptr);
  EXPECT_EQ(ArchiveGetLastError(), kZpkShortRead);
  EXPECT_EQ(ReadFile(p), cut);  // a failed open changes nothing
}

TEST_F(Archive, ErrorCodes) {
  EXPECT_EQ(ArchiveGetVersion(), 0x970D0130u);
  EXPECT_EQ(ArchiveStartup(), 1);
  EXPECT_EQ(ArchiveGetLastError(), 0u);

  EXPECT_FALSE(ArchiveAddFile(nullptr, "x", 0));
  EXPECT_EQ(ArchiveGetLastError(), kZpkBadHandle);
  EXPECT_FALSE(ArchiveClose(nullptr));
  EXPECT_EQ(ArchiveGetLastError(), kZpkBadHandle);

  EXPECT_EQ(ArchiveOpen(dir.file("B.ZPK").c_str(), 0x10008, nullptr), nullptr);
  EXPECT_EQ(ArchiveGetLastError(), kZpkNeedsLimit);
  EXPECT_FALSE(fs::exists(dir.file("B.ZPK")));

  EXPECT_EQ(ArchiveOpen(dir.file("MISSING.ZPK").c_str(), kArchiveOpenNoCreate, nullptr), nullptr);
  EXPECT_EQ(ArchiveGetLastError(), kZpkCannotOpen);

  std::string plain = Put("PLAIN.DAT", TextBytes(5000, 10));
  EXPECT_EQ(ArchiveOpen(plain.c_str(), 0, nullptr), nullptr);
  EXPECT_EQ(ArchiveGetLastError(), kZpkNoArchive);

  std::string p = dir.file("E.ZPK");
  ArchiveHandle h = ArchiveOpen(p.c_str(), 0, nullptr);
  ASSERT_TRUE(ArchiveAddFile(h, plain.c_str(), 0));
  EXPECT_FALSE(ArchiveRemoveFile(h, "NOPE.*"));
  EXPECT_EQ(ArchiveGetLastError(), kZpkNoMatch);
  EXPECT_FALSE(ArchiveFindFile(h, "NOPE"));
  EXPECT_EQ(ArchiveGetLastError(), kZpkNoMatch);
  EXPECT_FALSE(ArchiveEnumFiles(h, "*.NONE", nullptr, 0));
  EXPECT_EQ(ArchiveGetLastError(), kZpkNoMatch);
  EXPECT_FALSE(ArchiveAddFile(h, dir.file("absent.txt").c_str(), 0));
  EXPECT_EQ(ArchiveGetLastError(), kZpkCannotOpen);
  EXPECT_TRUE(ArchiveFindFile(h, "plain.dat"));  // the failed add left the archive whole
  // A replacement that cannot be read keeps the entry it would replace.
  std::filesystem::remove(plain);
  EXPECT_FALSE(ArchiveAddFile(h, plain.c_str(), 0));
  EXPECT_EQ(ArchiveGetLastError(), kZpkCannotOpen);
  EXPECT_TRUE(ArchiveFindFile(h, "plain.dat"));
  ArchiveClose(h);

  h = ArchiveOpen(p.c_str(), kArchiveOpenReadOnly, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(ArchiveAddFile(h, plain.c_str(), 0));
  EXPECT_EQ(ArchiveGetLastError(), kZpkReadOnly);
  EXPECT_FALSE(ArchiveRemoveFile(h, "*"));
  EXPECT_EQ(ArchiveGetLastError(), kZpkReadOnly);
  ArchiveClose(h);
}

TEST_F(Archive, AddWhileAddingIsRefused) {
  std::string p = dir.file("BUSY.ZPK");
  ArchiveHandle h = OpenWith(p, 0);
  std::string a = Put("a.txt", TextBytes(10000, 11));
  uint32_t inner = 0;
  bool innerResult = true;
  calls.progress = [&](const ProgressRecord&) {
    if (inner == 0) {
      innerResult = ArchiveAddFile(h, a.c_str(), 0);
      inner = ArchiveGetLastError();
    }
    return 1;
  };
  ASSERT_TRUE(ArchiveAddFile(h, a.c_str(), 0));
  EXPECT_FALSE(innerResult);
  EXPECT_EQ(inner, kZpkBusy);
  ArchiveClose(h);
}

TEST_F(Archive, CancelEndsTheAddWithError2AndKeepsEarlierFiles) {
  std::string p = dir.file("C.ZPK");
  ArchiveHandle h = OpenWith(p, 0);
  std::string first = Put("first.txt", TextBytes(9000, 12));
  std::string big = Put("big.txt", TextBytes(200000, 13));
  std::string rnd = Put("rnd.bin", RandomBytes(50000, 14));
  ASSERT_TRUE(ArchiveAddFile(h, first.c_str(), 0));
  for (const std::string& victim : {big, rnd}) {
    calls.progress = [](const ProgressRecord& r) { return r.done > 20000 ? 2 : 1; };
    EXPECT_FALSE(ArchiveAddFile(h, victim.c_str(), 0));
    EXPECT_EQ(ArchiveGetLastError(), kZpkCancelled);
  }
  calls.progress = nullptr;
  std::string last = Put("last.txt", TextBytes(3000, 15));
  ASSERT_TRUE(ArchiveAddFile(h, last.c_str(), 0));  // the handle goes on working
  ArchiveClose(h);
  kw::zpk::ArchiveReader r;
  ASSERT_TRUE(r.Open(p).ok());
  ASSERT_EQ(r.files().size(), 2u);
  EXPECT_EQ(r.files()[0].name, "first.txt");
  EXPECT_EQ(r.files()[1].name, "last.txt");
  EXPECT_TRUE(r.Test().ok());
}

TEST_F(Archive, ProgressReportsCountTheFile) {
  std::string p = dir.file("P.ZPK");
  ArchiveHandle h = OpenWith(p, 0);
  std::vector<uint8_t> data = TextBytes(30000, 16);
  ASSERT_TRUE(ArchiveAddFile(h, Put("p.txt", data).c_str(), 0));
  ArchiveClose(h);
  ASSERT_GE(calls.reports.size(), 15u);  // one per 2048-byte block at least
  uint32_t prev = 0;
  for (size_t i = 0; i < calls.reports.size(); ++i) {
    const ProgressRecord& r = calls.reports[i];
    EXPECT_EQ(r.total, data.size());
    EXPECT_GE(r.done, prev);
    prev = r.done;
    EXPECT_EQ(r.finished, i + 1 == calls.reports.size() ? 1u : 0u);
  }
  EXPECT_EQ(prev, data.size());
}

TEST_F(Archive, RemoveCutsTheEntryOut) {
  std::string p = dir.file("X.ZPK");
  ArchiveHandle h = ArchiveOpen(p.c_str(), 0, nullptr);
  std::vector<uint8_t> a = TextBytes(8000, 17), b = RandomBytes(40000, 18), c = RandomBytes(50000, 19);
  ASSERT_TRUE(ArchiveAddFile(h, Put("a.txt", a).c_str(), 0));
  uint64_t withA = fs::file_size(p);
  ASSERT_TRUE(ArchiveAddFile(h, Put("b.bin", b).c_str(), 0));
  uint64_t withAB = fs::file_size(p);
  ASSERT_TRUE(ArchiveAddFile(h, Put("c.bin", c).c_str(), 0));
  uint64_t all = fs::file_size(p);
  kw::SetFixedClock(1800000000u);  // removal rewrites the header's time from the open time
  ASSERT_TRUE(ArchiveRemoveFile(h, "B.BIN"));
  EXPECT_EQ(fs::file_size(p), all - (withAB - withA));
  EXPECT_FALSE(ArchiveFindFile(h, "b.bin"));
  std::string d = Put("d.txt", TextBytes(5000, 20));
  ASSERT_TRUE(ArchiveAddFile(h, d.c_str(), 0));  // positions after the move are right
  ArchiveClose(h);
  kw::zpk::ArchiveReader r;
  ASSERT_TRUE(r.Open(p).ok());
  ASSERT_EQ(r.files().size(), 3u);
  EXPECT_EQ(r.files()[1].name, "c.bin");
  EXPECT_TRUE(r.Test().ok());
  EXPECT_EQ(r.volumes()[0].header.modified, 1700000000u);
}

TEST_F(Archive, EnumerationFiltersAndStops) {
  std::string p = dir.file("N.ZPK");
  ArchiveHandle h = ArchiveOpen(p.c_str(), 0, nullptr);
  for (const char* n : {"one.txt", "two.dat", "three.txt"})
    ASSERT_TRUE(ArchiveAddFile(h, Put(n, TextBytes(100, 21)).c_str(), 0));
  std::vector<EntryInfo> txt = Entries(h, "*.TXT");
  ASSERT_EQ(txt.size(), 2u);
  EXPECT_STREQ(txt[0].shortName, "one.txt");
  EXPECT_STREQ(txt[1].shortName, "three.txt");
  int seen = 0;
  EXPECT_FALSE(ArchiveEnumFiles(
      h, "*",
      [](const EntryInfo*, ArchiveUserValue u, int) {
        ++*reinterpret_cast<int*>(u);
        return 0;
      },
      reinterpret_cast<ArchiveUserValue>(&seen)));
  EXPECT_EQ(ArchiveGetLastError(), kZpkCancelled);
  EXPECT_EQ(seen, 1);
  ArchiveClose(h);
}

TEST_F(Archive, FullPathOptionKeepsThePath) {
  std::string src = Put("deep.txt", TextBytes(100, 22));
  std::string p = dir.file("F.ZPK");
  ArchiveHandle h = ArchiveOpen(p.c_str(), 0, nullptr);
  ASSERT_TRUE(ArchiveAddFile(h, src.c_str(), kArchiveAddFullPath));
  std::vector<EntryInfo> list = Entries(h);
  ArchiveClose(h);
  ASSERT_EQ(list.size(), 1u);
  std::string stored = list[0].longName;
  EXPECT_GT(stored.size(), std::string("deep.txt").size());
  EXPECT_EQ(stored.substr(stored.size() - 9), "\\deep.txt");
  EXPECT_EQ(stored.find('/'), std::string::npos);
}

}  // namespace

namespace {

// A name cut to 255 characters would match another file's and replace it.
TEST_F(Archive, NamesLongerThanTheFieldAreRefusedNotCut) {
  std::string deep = dir.path();
  while (deep.size() < 180) deep += kw::kPathSep + std::string(60, 'd');
  fs::create_directories(deep);
  const std::string stem = deep + kw::kPathSep + std::string(258 - deep.size() - 6, 'n');
  const std::string a = stem + "1.txt", b = stem + "2.txt";
  ASSERT_EQ(a.size(), 258u);
  WriteFile(a, TextBytes(50, 1));
  WriteFile(b, TextBytes(60, 2));
  const std::string p = dir.file("L.ZPK");
  ArchiveHandle h = ArchiveOpen(p.c_str(), 0, nullptr);
  ASSERT_TRUE(h);
  ASSERT_TRUE(ArchiveAddFile(h, Put("short.txt", TextBytes(10, 3)).c_str(), kArchiveAddFullPath));
  for (const std::string& f : {a, b}) {
    EXPECT_FALSE(ArchiveAddFile(h, f.c_str(), kArchiveAddFullPath)) << f;
    EXPECT_EQ(ArchiveGetLastError(), kZpkNameTooLong);
  }
  // Without the path the names fit and stay apart.
  EXPECT_TRUE(ArchiveAddFile(h, a.c_str(), 0));
  EXPECT_TRUE(ArchiveAddFile(h, b.c_str(), 0));
  ASSERT_TRUE(ArchiveClose(h));
  kw::zpk::ArchiveReader r;
  ASSERT_TRUE(r.Open(p).ok());
  ASSERT_EQ(r.files().size(), 3u);
  EXPECT_TRUE(r.Test().ok());
}

// Sizes and distances are 32-bit fields: what would wrap them is refused
// and leaves the archive as it was. Sparse files keep this cheap.
TEST_F(Archive, SizesPastTheFormatsFieldsAreRefused) {
  const std::string p = dir.file("S.ZPK");
  {
    ArchiveHandle h = ArchiveOpen(p.c_str(), 0, nullptr);
    ASSERT_TRUE(h);
    ASSERT_TRUE(ArchiveAddFile(h, Put("a.txt", TextBytes(100, 4)).c_str(), 0));
    const std::string big = dir.file("big.iso");
    WriteFile(big, std::vector<uint8_t>(1, 'b'));
    fs::resize_file(big, (uint64_t(1) << 32) + 4096);
    const uintmax_t before = fs::file_size(p);
    EXPECT_FALSE(ArchiveAddFile(h, big.c_str(), 0));
    EXPECT_EQ(ArchiveGetLastError(), kZpkTooLarge);
    ASSERT_TRUE(ArchiveClose(h));
    EXPECT_EQ(fs::file_size(p), before);
  }

  // A volume whose end record sits just below 4 GiB from its header: one
  // more entry would wrap the distance.
  const std::string q = dir.file("NEAR4G.ZPK");
  kw::zpk::Header hd;
  hd.name = "NEAR4G.ZPK";
  kw::zpk::Entry e;
  e.method = kw::zpk::kMethodStored;
  e.shortName = e.longName = "ZEROS.BIN";
  std::vector<uint8_t> head = kw::zpk::EncodeHeader(hd);
  const uint64_t end = 0xFFFFFF00u;
  e.packed = e.unpacked = static_cast<uint32_t>(end - head.size() - kw::zpk::EntrySize(e));
  std::vector<uint8_t> rec = kw::zpk::EncodeEntry(e);
  head.insert(head.end(), rec.begin(), rec.end());
  WriteFile(q, head);
  fs::resize_file(q, end);
  {
    std::fstream f(q, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(end));
    std::vector<uint8_t> tail = kw::zpk::EncodeEndRecord(static_cast<uint32_t>(end));
    f.write(reinterpret_cast<const char*>(tail.data()), static_cast<std::streamsize>(tail.size()));
  }
  ArchiveHandle h = ArchiveOpen(q.c_str(), kArchiveOpenNoCreate, nullptr);
  ASSERT_TRUE(h) << ArchiveGetLastError();
  EXPECT_FALSE(ArchiveAddFile(h, Put("more.bin", RandomBytes(1000, 5)).c_str(), 0));
  EXPECT_EQ(ArchiveGetLastError(), kZpkTooLarge);
  ASSERT_TRUE(ArchiveClose(h));
  EXPECT_EQ(fs::file_size(q), end + kw::zpk::kEndRecordSize);
  h = ArchiveOpen(q.c_str(), kArchiveOpenNoCreate | kArchiveOpenReadOnly, nullptr);
  ASSERT_TRUE(h) << ArchiveGetLastError();
  EXPECT_EQ(Entries(h).size(), 1u);
  ArchiveClose(h);
}

}  // namespace
