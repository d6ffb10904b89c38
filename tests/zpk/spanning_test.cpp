#include <gtest/gtest.h>

#include <filesystem>

#include "platform/clock.h"
#include "zpk/reader.h"
#include "zpktest.h"

using namespace zpktest;
using kwtest::ReadFile;
using kwtest::WriteFile;
namespace fs = std::filesystem;

namespace {

struct Built {
  std::vector<std::string> volumes;
  std::vector<std::vector<uint8_t>> contents;
};

// Adds the files to an archive in dir with the given limit; volume n goes to
// DISKn/SETUP.n when a loader is given (the builder's layout), else NAME.n.
class Spanning : public ::testing::Test {
 protected:
  void SetUp() override { kw::SetFixedClock(1600000000u); }
  void TearDown() override { kw::SetFixedClock(std::nullopt); }

  Built Build(uint32_t limit, const std::vector<std::vector<uint8_t>>& files, bool loader) {
    Built out;
    std::string first;
    if (loader) {
      fs::create_directories(dir.file("DISK1"));
      first = dir.file("DISK1/SETUP.EXE");
      std::vector<uint8_t> exe(1500, 0xCC);
      exe[0] = 'M';
      exe[1] = 'Z';
      WriteFile(first, exe);
    } else {
      first = dir.file("ARC.ZPK");
    }
    out.volumes.push_back(first);
    calls.nextVolume = [&, loader](uint16_t n) {
      std::string p;
      if (loader) {
        fs::create_directories(dir.file("DISK" + std::to_string(n)));
        p = dir.file("DISK" + std::to_string(n) + "/SETUP." + std::to_string(n));
      } else {
        p = dir.file("ARC." + std::to_string(n));
      }
      out.volumes.push_back(p);
      return p;
    };
    ArchiveHandle h = ArchiveOpenSized(first.c_str(), loader ? 0x10008 : 0, Callback, limit);
    EXPECT_NE(h, nullptr);
    if (!h) return out;
    ArchiveSetUserData(h, reinterpret_cast<ArchiveUserValue>(&calls));
    for (size_t i = 0; i < files.size(); ++i) {
      std::string src = dir.file("src" + std::to_string(i) + ".dat");
      WriteFile(src, files[i]);
      EXPECT_TRUE(ArchiveAddFile(h, src.c_str(), kArchiveAddFullPath)) << i << " " << ArchiveGetLastError();
      out.contents.push_back(files[i]);
    }
    EXPECT_TRUE(ArchiveClose(h));
    return out;
  }

  kwtest::TempDir dir;
  Calls calls;
};

TEST_F(Spanning, FileOverThreeVolumes) {
  std::vector<uint8_t> data = MixedBytes(50000, 30);
  std::vector<uint8_t> stream = Deflate9(data);
  ASSERT_GT(stream.size(), 2 * 8000u);  // needs three volumes of 8000
  ASSERT_LT(stream.size(), 3 * 8000u - 3000);
  Built b = Build(8000, {data}, false);
  ASSERT_EQ(b.volumes.size(), 3u);
  EXPECT_EQ(calls.volumesAsked, (std::vector<uint16_t>{2, 3}));

  std::vector<uint8_t> joined;
  for (size_t v = 0; v < 3; ++v) {
    std::vector<uint8_t> bytes = ReadFile(b.volumes[v]);
    SCOPED_TRACE(b.volumes[v]);
    EXPECT_LE(bytes.size(), 8000u);
    // Header: volume number and this file's own name.
    EXPECT_EQ(BE16(bytes, 22), v + 1);
    std::string name(bytes.begin() + 28, bytes.begin() + 28 + BE16(bytes, 26));
    EXPECT_EQ(name, v == 0 ? "ARC.ZPK" : "ARC." + std::to_string(v + 1));
    kw::zpk::Entry e;
    size_t used = 0;
    size_t at = 32 + name.size();
    ASSERT_EQ(kw::zpk::ParseEntry(bytes.data() + at, bytes.size() - at, e, used), kw::zpk::ParseResult::kOk);
    EXPECT_EQ(e.flags, kEntrySpans);
    EXPECT_EQ(e.method, 4);
    EXPECT_EQ(e.unpacked, data.size());
    joined.insert(joined.end(), bytes.begin() + at + used, bytes.begin() + at + used + e.packed);
    // Only the one piece, then the end record.
    EXPECT_EQ(at + used + e.packed + 10, bytes.size());
    if (v == 2) {
      EXPECT_EQ(e.crc, Crc(data));
    } else {
      // The CRC of the bytes consumed so far: whole blocks, or all of the file.
      bool prefix = false;
      for (size_t k = 2048; k < data.size() + 2048 && !prefix; k += 2048) prefix = e.crc == Crc(data, k);
      EXPECT_TRUE(prefix);
    }
  }
  EXPECT_EQ(joined, stream);

  kw::zpk::ArchiveReader r;
  ASSERT_TRUE(r.Open(b.volumes[0]).ok());
  ASSERT_EQ(r.files().size(), 1u);
  EXPECT_EQ(r.files()[0].pieces.size(), 3u);
  EXPECT_TRUE(r.Test().ok());
}

TEST_F(Spanning, NoVolumeGrowsBeyondItsLimitAndAllComesBack) {
  std::vector<std::vector<uint8_t>> files = {
      MixedBytes(30000, 31), RandomBytes(20000, 32), {}, TextBytes(5, 33),
      RandomBytes(7000, 34), std::vector<uint8_t>(50000, 'z'), TextBytes(90000, 35), RandomBytes(3000, 36),
  };
  for (uint32_t limit : {5000u, 6144u, 9000u, 24000u, 1457664u}) {
    for (bool loader : {false, true}) {
      SCOPED_TRACE(std::to_string(limit) + (loader ? " loader" : " zpk"));
      Calls local;
      calls = local;
      Built b = Build(limit, files, loader);
      for (const std::string& v : b.volumes) EXPECT_LE(fs::file_size(v), limit) << v;
      {
        kw::zpk::ArchiveReader r;  // holds the volumes open until the end of this block
        kw::zpk::ReadError e = r.Open(b.volumes[0]);
        ASSERT_TRUE(e.ok()) << e.message;
        EXPECT_EQ(r.volumes().size(), b.volumes.size());
        ASSERT_EQ(r.files().size(), files.size());
        kwtest::TempDir out;
        e = r.Extract(out.path());
        ASSERT_TRUE(e.ok()) << e.message;
        for (size_t i = 0; i < files.size(); ++i) {
          std::string rel = kw::zpk::SafeRelativePath(r.files()[i].name);
          EXPECT_EQ(ReadFile(out.path() + "/" + rel), files[i]) << rel;
        }
      }
      fs::remove_all(dir.path());
      fs::create_directories(dir.path());
    }
  }
}

TEST_F(Spanning, RefusedNextVolumeCancels) {
  std::vector<uint8_t> data = MixedBytes(50000, 37);
  std::string src = dir.file("big.txt");
  WriteFile(src, data);
  std::string first = dir.file("ARC.ZPK");
  ArchiveHandle h = ArchiveOpenSized(first.c_str(), 0, Callback, 8000);
  ArchiveSetUserData(h, reinterpret_cast<ArchiveUserValue>(&calls));
  calls.nextVolume = nullptr;  // answers 0
  EXPECT_FALSE(ArchiveAddFile(h, src.c_str(), 0));
  EXPECT_EQ(ArchiveGetLastError(), kZpkCancelled);
  EXPECT_EQ(calls.volumesAsked, std::vector<uint16_t>{2});
  ArchiveClose(h);
  EXPECT_LE(fs::file_size(first), 8000u);
}

TEST_F(Spanning, DefaultCallbackCannotNameAVolume) {
  std::string src = dir.file("big.txt");
  WriteFile(src, MixedBytes(50000, 38));
  ArchiveHandle h = ArchiveOpenSized(dir.file("ARC.ZPK").c_str(), 0, nullptr, 8000);
  EXPECT_FALSE(ArchiveAddFile(h, src.c_str(), 0));
  EXPECT_EQ(ArchiveGetLastError(), kZpkCannotOpen);
  ArchiveClose(h);
  EXPECT_FALSE(fs::exists(".ZPK"));
}

}  // namespace

namespace {

TEST_F(Spanning, AnEntryThatWouldNotFitOpensTheNextVolume) {
  // a.bin is stored and leaves 20 bytes before the end record: too few for
  // any entry record. Header 32 + 7, entry of a.bin 36 + 6 + 6 + 1 + 4.
  std::vector<uint8_t> a = RandomBytes(4096 - 10 - 20 - 39 - 53, 60), b = TextBytes(2000, 61);
  std::string longName(40, 'n');
  calls.nextVolume = [&](uint16_t n) { return dir.file("ARC." + std::to_string(n)); };
  std::string first = dir.file("ARC.ZPK");
  ArchiveHandle h = ArchiveOpenSized(first.c_str(), 0, Callback, 4096);
  ArchiveSetUserData(h, reinterpret_cast<ArchiveUserValue>(&calls));
  WriteFile(dir.file("a.bin"), a);
  WriteFile(dir.file(longName), b);
  ASSERT_TRUE(ArchiveAddFile(h, dir.file("a.bin").c_str(), 0));
  ASSERT_TRUE(ArchiveAddFile(h, dir.file(longName).c_str(), 0));
  ArchiveClose(h);
  EXPECT_EQ(calls.volumesAsked, std::vector<uint16_t>{2});
  EXPECT_LE(fs::file_size(first), 4096u);
  EXPECT_LE(fs::file_size(dir.file("ARC.2")), 4096u);
  kw::zpk::ArchiveReader r;
  ASSERT_TRUE(r.Open(first).ok());
  ASSERT_EQ(r.volumes().size(), 2u);
  ASSERT_EQ(r.volumes()[0].entries.size(), 1u);
  ASSERT_EQ(r.volumes()[1].entries.size(), 1u);
  EXPECT_EQ(r.volumes()[1].entries[0].entry.longName, longName);
  EXPECT_EQ(r.volumes()[1].entries[0].entry.flags, 0);
  EXPECT_TRUE(r.Test().ok());
}

}  // namespace

namespace {

// An add from inside the walk moves the handle to volume 2; the walk goes on
// after the last reported name in the new list, and it is not there.
TEST_F(Spanning, EnumerationEndsWhenTheHandleMovesToAnotherVolume) {
  calls.nextVolume = [&](uint16_t n) { return dir.file("ARC." + std::to_string(n)); };
  std::string first = dir.file("ARC.ZPK");
  ArchiveHandle h = ArchiveOpenSized(first.c_str(), 0, Callback, 8000);
  ArchiveSetUserData(h, reinterpret_cast<ArchiveUserValue>(&calls));
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) {
    WriteFile(dir.file(n), TextBytes(200, 62));
    ASSERT_TRUE(ArchiveAddFile(h, dir.file(n).c_str(), 0));
  }
  WriteFile(dir.file("big.bin"), MixedBytes(40000, 63));
  struct Walk {
    ArchiveHandle h;
    std::string big;
    std::vector<std::string> seen;
  } walk{h, dir.file("big.bin"), {}};
  EXPECT_TRUE(ArchiveEnumFiles(
      h, "*.txt",
      [](const EntryInfo* e, ArchiveUserValue u, int) {
        Walk* w = reinterpret_cast<Walk*>(u);
        w->seen.push_back(e->longName);
        if (w->seen.size() == 1) ArchiveAddFile(w->h, w->big.c_str(), 0);
        return 1;
      },
      reinterpret_cast<ArchiveUserValue>(&walk)));
  EXPECT_EQ(walk.seen, std::vector<std::string>{"a.txt"});
  EXPECT_GE(calls.volumesAsked.size(), 1u);
  ArchiveClose(h);
}

}  // namespace
