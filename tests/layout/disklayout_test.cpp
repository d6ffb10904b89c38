#include "layout/disklayout.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../testutil.h"
#include "platform/filesys.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string Join(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& p : parts) {
    if (!out.empty()) out += kw::kPathSep;
    out += p;
  }
  return out;
}

TEST(DiskLayout, VolumePaths) {
  const struct {
    std::string folder;
    unsigned volume;
    std::string path;
  } cases[] = {
      {Join({"out", "Demo", "144MB"}), 2, Join({"out", "Demo", "144MB", "DISK2", "SETUP.2"})},
      {Join({"out", "Demo", "CDROM"}), 17, Join({"out", "Demo", "CDROM", "DISK17", "SETUP.17"})},
      // A '%' in the folder is text, not a conversion.
      {Join({"out", "100%d %s%%"}), 3, Join({"out", "100%d %s%%", "DISK3", "SETUP.3"})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kw::VolumePath(kw::VolumePathFormat(c.folder), c.volume), c.path) << c.folder;
  }
  EXPECT_EQ(kw::VolumePathFormat("X"), std::string("X") + kw::kPathSep + "DISK%d" + kw::kPathSep + "SETUP.%d");
  EXPECT_EQ(kw::DiskFolder("X", 4), std::string("X") + kw::kPathSep + "DISK4");
}

TEST(DiskLayout, DiskEntryNames) {
  for (const char* yes : {"DISK", "DISK1", "disk12", "Disk-old", "DISKMAP.TXT"}) EXPECT_TRUE(kw::IsDiskEntryName(yes)) << yes;
  for (const char* no : {"DIS", "MyDisk1", "SETUP.INF", " DISK1", ""}) EXPECT_FALSE(kw::IsDiskEntryName(no)) << no;
}

TEST(DiskLayout, PreparesTheOutputFolderAndItsParent) {
  kwtest::TempDir dir;
  const std::string out = Join({dir.path(), "Demo", "144MB"});
  std::string error;
  ASSERT_TRUE(kw::PrepareOutputFolder(out, error)) << error;
  EXPECT_TRUE(fs::is_directory(out));
  ASSERT_TRUE(kw::PrepareOutputFolder(out + kw::kPathSep, error)) << error;  // already there

  // Missing grandparent, a file in the way, no folder at all.
  kwtest::WriteFile(dir.file("blocker"), std::string("x"));
  for (const std::string& bad : {Join({dir.path(), "no", "such", "Demo", "144MB"}), Join({dir.path(), "blocker", "144MB"}),
                                 dir.file("blocker")}) {
    error.clear();
    EXPECT_FALSE(kw::PrepareOutputFolder(bad, error)) << bad;
    EXPECT_NE(error.find("Cannot create the folder"), std::string::npos) << error;
  }
  EXPECT_FALSE(kw::PrepareOutputFolder("", error));
  EXPECT_FALSE(kw::ClearDiskFolders("", error));
  EXPECT_FALSE(kw::CreateDiskFolder("", 1, error));
}

TEST(DiskLayout, ClearsOnlyDiskEntriesAndFollowsNoLink) {
  kwtest::TempDir dir;
  const std::string out = dir.file("144MB");
  const std::string victim = dir.file("victim");
  fs::create_directories(out);
  fs::create_directories(victim);
  kwtest::WriteFile(Join({victim, "keep.txt"}), std::string("precious"));
  fs::create_directories(Join({out, "DISK1"}));
  kwtest::WriteFile(Join({out, "DISK1", "SETUP.EXE"}), std::string("MZ"));
  fs::create_directories(Join({out, "DISK3", "deeper", "deepest"}));  // stale from a larger build
  kwtest::WriteFile(Join({out, "DISK3", "SETUP.3"}), std::string("old volume"));
  kwtest::WriteFile(Join({out, "DISK3", "deeper", "deepest", "f"}), std::string("f"));
  fs::create_directories(Join({out, "disk7"}));
  kwtest::WriteFile(Join({out, "DISKMAP.TXT"}), std::string("file"));
  kwtest::WriteFile(Join({out, "SETUP.INF"}), std::string("kept"));
  fs::create_directories(Join({out, "other"}));
  kwtest::WriteFile(Join({out, "other", "DISK1"}), std::string("kept, not at the top"));
  fs::create_directories(Join({out, "MyDisk"}));

  bool links = true;
  std::error_code ec;
  fs::create_directory_symlink(victim, Join({out, "DISK5"}), ec);
  if (ec) links = false;
  if (links) {
    fs::create_symlink(Join({victim, "keep.txt"}), Join({out, "DISK6"}), ec);
    fs::create_directory_symlink(victim, Join({out, "DISK3", "inside"}), ec);
    links = !ec;
  }

  std::string error;
  ASSERT_TRUE(kw::ClearDiskFolders(out, error)) << error;
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(out)) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"MyDisk", "SETUP.INF", "other"}));
  EXPECT_TRUE(fs::exists(Join({out, "other", "DISK1"})));
  EXPECT_EQ(kwtest::ReadFile(Join({victim, "keep.txt"})).size(), 8u);
  // Nothing to clear is no error.
  EXPECT_TRUE(kw::ClearDiskFolders(out, error)) << error;
  EXPECT_TRUE(kw::ClearDiskFolders(dir.file("not-built-yet"), error)) << error;
  if (!links) GTEST_SKIP() << "this system makes no symbolic links; the link cases did not run";
}

TEST(DiskLayout, CreatesDiskFoldersOnDemand) {
  kwtest::TempDir dir;
  const std::string out = dir.path();
  std::string error;
  ASSERT_TRUE(kw::CreateDiskFolder(out, 1, error)) << error;
  EXPECT_TRUE(fs::is_directory(Join({out, "DISK1"})));
  ASSERT_TRUE(kw::CreateDiskFolder(out, 1, error)) << error;
  const std::string format = kw::VolumePathFormat(out);
  ASSERT_TRUE(kw::CreateVolumeFolder(kw::VolumePath(format, 3), error)) << error;
  EXPECT_TRUE(fs::is_directory(Join({out, "DISK3"})));
  EXPECT_FALSE(fs::exists(Join({out, "DISK3", "SETUP.3"})));
  EXPECT_FALSE(fs::exists(Join({out, "DISK2"})));

  kwtest::WriteFile(Join({out, "DISK2"}), std::string("a file in the way"));
  EXPECT_FALSE(kw::CreateVolumeFolder(kw::VolumePath(format, 2), error));
  EXPECT_NE(error.find("DISK2"), std::string::npos) << error;
  EXPECT_FALSE(kw::CreateDiskFolder(out, 2, error));
}

TEST(DiskLayout, AnEntryThatCannotBeDeletedIsAnError) {
  kwtest::TempDir dir;
  const std::string out = dir.path();
  const std::string stale = Join({out, "DISK2"});
  const std::string file = Join({stale, "SETUP.2"});
  fs::create_directories(stale);
  kwtest::WriteFile(file, std::string("volume"));
#ifdef _WIN32
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
#else
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  ASSERT_EQ(chmod(stale.c_str(), 0555), 0);
#endif
  std::string error;
  EXPECT_FALSE(kw::ClearDiskFolders(out, error));
  EXPECT_NE(error.find("Cannot delete"), std::string::npos) << error;
  EXPECT_NE(error.find("SETUP.2"), std::string::npos) << error;
  EXPECT_TRUE(fs::exists(file));
#ifdef _WIN32
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
#else
  chmod(stale.c_str(), 0755);
#endif
  EXPECT_TRUE(kw::ClearDiskFolders(out, error)) << error;
  EXPECT_FALSE(fs::exists(stale));
}

}  // namespace
