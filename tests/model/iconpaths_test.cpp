#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/iconpaths.h"
#include "model/project.h"

namespace {

using Paths = std::vector<std::string>;

TEST(ExecutablePaths, ExeFilesOfEveryPackageInOrder) {
  CKitwrightProject p;
  ASSERT_TRUE(p.OnNewDocument());
  CFileFolder* main = p.m_pPackages;
  CFileFolder* second = main->m_pNext;
  ASSERT_NE(second, nullptr);
  main->AddFile("C:\\SRC\\APP.EXE", "%INSTALLDIR%");
  main->AddFile("C:\\SRC\\APP.DLL", "%INSTALLDIR%");
  main->AddFile("C:\\SRC\\tool.exe", "%INSTALLDIR%\\BIN");
  second->AddFile("D:\\Other\\Setup.Exe", "%WINDIR%");
  second->AddFile("D:\\Other\\README", "%INSTALLDIR%");
  main->AddFile("C:\\SRC\\LAST.EXE", "%WINSYSDIR%");
  EXPECT_EQ(kw::ExecutablePaths(p.m_pPackages),
            (Paths{"%INSTALLDIR%\\APP.EXE", "%INSTALLDIR%\\BIN\\tool.exe", "%WINSYSDIR%\\LAST.EXE",
                   "%WINDIR%\\Setup.Exe"}));
}

TEST(ExecutablePaths, OnlyTheLastDotOfTheFileNameCounts) {
  struct Case {
    const char* source;
    bool listed;
  };
  const Case cases[] = {
      {"C:\\A\\X.EXE", true},      {"C:\\A\\X.eXe", true},      {"C:\\A\\X.EXE.BAK", false},
      {"C:\\A\\X.EX", false},      {"C:\\A\\X.EXEC", false},    {"C:\\A\\EXE", false},
      {"C:\\A.EXE\\X", false},     {"C:\\A.EXE\\X.TXT", false}, {"RUN.EXE", true},
      {"C:\\A\\.EXE", true},       {"C:\\A\\X.DLL", false},     {"C:\\A\\X", false},
  };
  for (const Case& c : cases) {
    CFileFolder package("P", 0, 9);
    package.AddFile(c.source, "%INSTALLDIR%");
    Paths paths = kw::ExecutablePaths(&package);
    EXPECT_EQ(paths.size(), c.listed ? 1u : 0u) << c.source;
  }
}

TEST(ExecutablePaths, DestinationAndFileNameAsTheyAre) {
  CFileFolder package("P", 0, 9);
  // Billboards carry an empty destination.
  package.AddFile("C:\\SRC\\APP.EXE")->SetDestination("");
  package.AddFile("C:\\SRC\\B.EXE", "C:\\Fixed\\");
  EXPECT_EQ(kw::ExecutablePaths(&package), (Paths{"\\APP.EXE", "C:\\Fixed\\\\B.EXE"}));
  EXPECT_TRUE(kw::ExecutablePaths(nullptr).empty());
}

}  // namespace
