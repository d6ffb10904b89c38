#include <gtest/gtest.h>

#include <filesystem>

#include "platform/clock.h"
#include "zpk/reader.h"
#include "zpktest.h"

using namespace zpktest;
using kw::zpk::ArchiveReader;
using kw::zpk::ReadStatus;
using kwtest::ReadFile;
using kwtest::WriteFile;
namespace fs = std::filesystem;

namespace {

// Three volumes in the builder's layout: DISK1/SETUP.EXE, DISK2/SETUP.2, DISK3/SETUP.3.
std::vector<std::string> BuildDisks(const kwtest::TempDir& dir, const std::vector<uint8_t>& data) {
  static std::vector<std::string> made;
  made.clear();
  fs::create_directories(dir.file("DISK1"));
  std::string first = dir.file("DISK1/SETUP.EXE");
  WriteFile(first, std::vector<uint8_t>(800, 'L'));
  made.push_back(first);
  static std::string base;
  base = dir.path();
  ArchiveHandle h = ArchiveOpenSized(
      first.c_str(), 0x10008,
      [](int kind, void* rec, ArchiveUserValue) {
        if (kind != kArchiveCallbackNextVolume) return 1;
        auto* req = static_cast<NextVolumeRequest*>(rec);
        std::string n = std::to_string(req->volume);
        fs::create_directories(base + "/DISK" + n);
        std::string p = base + "/DISK" + n + "/SETUP." + n;
        made.push_back(p);
        std::strncpy(req->name, p.c_str(), 255);
        return 1;
      },
      8000);
  std::string src = dir.file("payload.txt");
  WriteFile(src, data);
  EXPECT_TRUE(ArchiveAddFile(h, src.c_str(), 0));
  std::string small = dir.file("after.txt");
  WriteFile(small, TextBytes(300, 41));
  EXPECT_TRUE(ArchiveAddFile(h, small.c_str(), 0));
  ArchiveClose(h);
  return made;
}

TEST(Reader, MissingVolumeIsNamed) {
  kwtest::TempDir dir;
  std::vector<std::string> v = BuildDisks(dir, MixedBytes(50000, 40));
  ASSERT_EQ(v.size(), 3u);
  fs::remove(v[1]);
  ArchiveReader r;
  kw::zpk::ReadError e = r.Open(v[0]);
  EXPECT_EQ(e.status, ReadStatus::kMissingVolume);
  EXPECT_NE(e.message.find("volume 2"), std::string::npos) << e.message;
  EXPECT_NE(e.message.find("SETUP.2"), std::string::npos) << e.message;
}

TEST(Reader, DamagedVolumeIsNamed) {
  kwtest::TempDir dir;
  std::vector<uint8_t> data = MixedBytes(50000, 42);
  std::vector<std::string> v = BuildDisks(dir, data);
  ASSERT_EQ(v.size(), 3u);
  {
    ArchiveReader r;
    ASSERT_TRUE(r.Open(v[0]).ok());
    ASSERT_EQ(r.files().size(), 2u);
    EXPECT_EQ(r.files()[0].pieces.size(), 3u);
    EXPECT_TRUE(r.Test().ok());
  }
  std::vector<uint8_t> third = ReadFile(v[2]);
  // A damaged entry record in volume 3.
  std::vector<uint8_t> bad = third;
  bad[40] ^= 0xFF;
  WriteFile(v[2], bad);
  ArchiveReader r;
  kw::zpk::ReadError e = r.Open(v[0]);
  EXPECT_EQ(e.status, ReadStatus::kDamaged);
  EXPECT_NE(e.message.find("SETUP.3"), std::string::npos) << e.message;
  // Damaged packed data: the records are fine, the test fails on the data.
  bad = third;
  bad[bad.size() / 2] ^= 0x55;
  WriteFile(v[2], bad);
  ASSERT_TRUE(r.Open(v[0]).ok());
  e = r.Test();
  EXPECT_FALSE(e.ok());
  EXPECT_NE(e.message.find("payload.txt"), std::string::npos) << e.message;
  // A volume from somewhere else in volume 3's place.
  WriteFile(v[2], ReadFile(v[1]));
  e = r.Open(v[0]);
  EXPECT_EQ(e.status, ReadStatus::kDamaged);
  EXPECT_NE(e.message.find("SETUP.3"), std::string::npos) << e.message;
}

TEST(Reader, WrongCrcOrSizeIsADataError) {
  kwtest::TempDir dir;
  std::vector<uint8_t> data = TextBytes(1000, 43);
  std::vector<HandEntry> entries = {StoredEntry("ok.txt", data), StoredEntry("bad.txt", data)};
  entries[1].entry.crc ^= 1;
  std::string p = dir.file("H.ZPK");
  WriteFile(p, BuildVolume("H.ZPK", 1, entries));
  ArchiveReader r;
  ASSERT_TRUE(r.Open(p).ok());
  std::vector<std::string> failed;
  kw::zpk::ReadError e = r.Test([&](const kw::zpk::ArchivedFile& f, const kw::zpk::ReadError& fe) {
    if (!fe.ok()) failed.push_back(f.name);
  });
  EXPECT_EQ(e.status, ReadStatus::kDataError);
  EXPECT_EQ(failed, std::vector<std::string>{"bad.txt"});
  // An extraction that fails leaves no file behind.
  kwtest::TempDir out;
  EXPECT_FALSE(r.Extract(out.path()).ok());
  EXPECT_TRUE(fs::exists(out.file("ok.txt")));
  EXPECT_FALSE(fs::exists(out.file("bad.txt")));
  EXPECT_FALSE(fs::exists(out.file("bad.txt.zpk-part")));
}

TEST(Reader, SafeRelativePaths) {
  struct Case {
    const char* stored;
    const char* rel;
  } cases[] = {
      {"README.TXT", "README.TXT"},
      {"C:\\SRC\\APP\\A.EXE", "SRC/APP/A.EXE"},
      {"\\\\server\\share\\x.dll", "server/share/x.dll"},
      {"..\\..\\evil.txt", "evil.txt"},
      {"a\\..\\..\\b\\.\\c", "a/b/c"},
      {"/etc/passwd", "etc/passwd"},
      {"CON", "_CON"},
      {"dir\\aux.txt", "dir/_aux.txt"},
      {"LPT1.doc", "_LPT1.doc"},
      {"COMPUTER.TXT", "COMPUTER.TXT"},
      {"x\\d:e", "x/d_e"},
      {"name. . ", "name"},
      {"...", "_"},
      {"", "_"},
      {"a\x01" "b", "a_b"},
  };
  for (const Case& c : cases) EXPECT_EQ(kw::zpk::SafeRelativePath(c.stored), c.rel) << c.stored;
}

TEST(Reader, ExtractionStaysInsideItsFolder) {
  kwtest::TempDir dir;
  std::vector<uint8_t> data = {'x'};
  std::vector<HandEntry> entries;
  for (const char* n : {"..\\..\\up.txt", "/abs.txt", "C:\\drive.txt", "sub\\..\\..\\deep.txt", "NUL", "ok\\in.txt"})
    entries.push_back(StoredEntry(n, data));
  std::string p = dir.file("EVIL.ZPK");
  WriteFile(p, BuildVolume("EVIL.ZPK", 1, entries));
  fs::create_directories(dir.file("out/target"));
  ArchiveReader r;
  ASSERT_TRUE(r.Open(p).ok());
  kw::zpk::ReadError e = r.Extract(dir.file("out/target"));
  ASSERT_TRUE(e.ok()) << e.message;
  std::vector<std::string> found;
  for (auto& it : fs::recursive_directory_iterator(dir.path()))
    if (it.is_regular_file()) found.push_back(fs::relative(it.path(), dir.path()).generic_string());
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{"EVIL.ZPK", "out/target/_NUL",
                                             "out/target/abs.txt",
                                             "out/target/drive.txt", "out/target/ok/in.txt", "out/target/sub/deep.txt",
                                             "out/target/up.txt"}));
}

TEST(Reader, ALinkInTheTargetIsNotFollowed) {
#ifndef _WIN32
  kwtest::TempDir dir;
  fs::create_directories(dir.file("outside"));
  fs::create_directories(dir.file("target"));
  fs::create_directory_symlink(dir.file("outside"), dir.file("target/sub"));
  std::string p = dir.file("L.ZPK");
  WriteFile(p, BuildVolume("L.ZPK", 1, {StoredEntry("sub\\f.txt", {'y'})}));
  ArchiveReader r;
  ASSERT_TRUE(r.Open(p).ok());
  EXPECT_EQ(r.Extract(dir.file("target")).status, ReadStatus::kWriteError);
  EXPECT_TRUE(fs::is_empty(dir.file("outside")));
#endif
}

TEST(Reader, FindsAnArchiveAppendedToAProgram) {
  kwtest::TempDir dir;
  std::vector<uint8_t> loader(5000, 'M');
  std::vector<uint8_t> data = TextBytes(700, 44);
  std::string p = dir.file("SETUP.EXE");
  WriteFile(p, BuildVolume("SETUP.EXE", 1, {StoredEntry("SETUP.INF", data)}, loader));
  ArchiveReader r;
  ASSERT_TRUE(r.Open(p).ok());
  EXPECT_EQ(r.volumes()[0].start, 5000);
  ASSERT_EQ(r.files().size(), 1u);
  EXPECT_TRUE(r.Test().ok());
  EXPECT_EQ(r.Open(dir.file("none.zpk")).status, ReadStatus::kCannotOpen);
  WriteFile(p, loader);
  EXPECT_EQ(r.Open(p).status, ReadStatus::kNotArchive);
}

}  // namespace
