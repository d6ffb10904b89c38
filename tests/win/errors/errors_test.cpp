// Numbered error messages: headers, string loading and its fall-back, and
// the exception reports.
#include "errors.h"

#include "profile.h"
#include "reslang.h"
#include "testutil.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char kTestBase[] = "SOFTWARE\\Brantel SoftWare\\Kitwright\\ErrorsTest";

struct Box {
  std::string text, caption;
  UINT style;
};
std::vector<Box> g_boxes;
int RecordBox(const char* text, const char* caption, UINT style) {
  g_boxes.push_back({text, caption, style});
  return IDOK;
}

struct ExitCalled {
  int status;
};
void ThrowOnExit(int status) { throw ExitCalled{status}; }

bool g_win32s = false;
bool Win32s() { return g_win32s; }

class ErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestBase);
    ProfileSetRegistryBase(kTestBase);
    ProfileWriteInt("U:Settings", "Language", 1033);
    fs::copy_file(fs::path(KW_LNG_DIR) / "KWRENG32.DLL", fs::path(folder.path()) / "KWRENG32.DLL");
    theLanguageArray.SetFolder(folder.path() + "\\");
    ASSERT_TRUE(theLanguageArray.Load());
    SetErrorBoxSeam(&RecordBox);
    SetErrorExitSeam(&ThrowOnExit);
    SetErrorWin32sQuery(&Win32s);
    SetErrorCaption("Kitwright");
    g_boxes.clear();
    g_win32s = false;
  }
  void TearDown() override {
    while (theLanguageArray.GetLoadCount() > 0)
      theLanguageArray.Unload();
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestBase);
  }
  std::string Only() {
    EXPECT_EQ(g_boxes.size(), 1u);
    return g_boxes.empty() ? std::string() : g_boxes.back().text;
  }
  kwtest::TempDir folder;
};

TEST_F(ErrorsTest, TextFromTheResourceLibrary) {
  ReportError(2, MAKEINTRESOURCEA(0x402), kSeverityFatal);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text,
            "FATAL ERROR KWR002:\nNo language extensions available.  Please re-install Kitwright.");
  EXPECT_EQ(g_boxes[0].style, 0x2010u);
  EXPECT_EQ(g_boxes[0].caption, "Kitwright");
}

TEST_F(ErrorsTest, MissingStringGivesInternalErrorAnd65535) {
  theLanguageArray.Unload();  // no library: every string is missing
  ReportError(2, MAKEINTRESOURCEA(0x402), kSeverityFatal);
  EXPECT_EQ(Only(),
            "FATAL ERROR KWR65535:\nInternal Error: Cannot load string resource 0402h for error "
            "KWR002!");
}

TEST_F(ErrorsTest, SeverityWordsAndNumbers) {
  struct Case {
    WORD number;
    int severity;
    const char* header;
  } const cases[] = {
      {7, 0, "ERROR KWR007:"},          {7, 2, "ERROR KWR007:"},
      {128, 1, "WARNING KWR128:"},      {30, 3, "FATAL ERROR KWR030:"},
      {1, 4, "TRACE KWR001:"},          {1000, 9, "ERROR KWR1000:"},
  };
  for (const Case& c : cases) {
    g_boxes.clear();
    ReportError(c.number, "text", c.severity);
    EXPECT_EQ(Only(), std::string(c.header) + "\ntext") << c.severity;
  }
}

TEST_F(ErrorsTest, TextsAreNotReformatted) {
  ReportError(5, "100% done %s %d", kSeverityError);
  EXPECT_EQ(Only(), "ERROR KWR005:\n100% done %s %d");
  g_boxes.clear();
  ReportError(5, nullptr, kSeverityError);
  EXPECT_EQ(Only(), "ERROR KWR005:\nInternal Error: Please contact Brantel SoftWare");
  // A long text is not cut.
  g_boxes.clear();
  std::string longText(3000, 'x');
  ReportError(5, longText.c_str(), kSeverityError);
  EXPECT_EQ(Only(), "ERROR KWR005:\n" + longText);
}

TEST_F(ErrorsTest, WindowClassErrorOnlyOutsideWin32s) {
  EXPECT_EQ(ReportWindowClassError("Brantel KWRBMP"), 1);
  EXPECT_EQ(Only(), "FATAL ERROR KWR030:\nCannot register \"Brantel KWRBMP\" window class!");
  g_boxes.clear();
  g_win32s = true;
  EXPECT_EQ(ReportWindowClassError("Brantel KWRBMP"), 0);
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(ErrorsTest, SystemException) {
  ReportSystemException("src\\kwrclst\\project", 412, 0xC0000005);
  EXPECT_EQ(Only(),
            "FATAL ERROR KWR128:\nException C0000005h has been caught at src\\kwrclst\\project, "
            "line 412.");
  g_boxes.clear();
  ReportSystemException(__FILE__, 9, 0xC0000005);
  EXPECT_EQ(Only(), "FATAL ERROR KWR128:\nException C0000005h has been caught at "
                    "tests\\win\\errors\\errors_test.cpp, line 9.");
  g_boxes.clear();
  ReportSystemException("a", 1, 0xAB);
  EXPECT_EQ(Only(), "FATAL ERROR KWR128:\nException 000000ABh has been caught at a, line 1.");
}

TEST_F(ErrorsTest, CaughtExceptionWithAndWithoutThrowSite) {
  int throwLine = 0;
  try {
    throwLine = __LINE__ + 1;
    KW_THROW(std::runtime_error("x"));
  } catch (...) {
    ReportCaughtException("src\\kwrclst\\view", 77);
  }
  // The throw site is the source's path in the tree, whichever machine built it.
  EXPECT_EQ(Only(), "FATAL ERROR KWR129:\nException \"std::runtime_error\" (thrown at "
                    "tests\\win\\errors\\errors_test.cpp, line " + std::to_string(throwLine) +
                        ") has been caught at src\\kwrclst\\view, line 77.");
  // A plain throw, of another type or of the same, must not borrow a site.
  g_boxes.clear();
  try {
    KW_THROW(std::runtime_error("recorded, never reported"));
  } catch (...) {
  }
  try {
    throw std::runtime_error("plain");
  } catch (...) {
    ReportCaughtException("e", 5);
  }
  EXPECT_EQ(Only(), "FATAL ERROR KWR129:\nException \"std::runtime_error\" has been caught at e, line 5.");
  g_boxes.clear();
  try {
    throw 42;
  } catch (...) {
    ReportCaughtException("b", 2);
  }
  EXPECT_EQ(Only(), "FATAL ERROR KWR129:\nException \"int\" has been caught at b, line 2.");
}

TEST_F(ErrorsTest, FatalReportsThenEndsWithStatusOne) {
  int status = 0;
  try {
    FatalSystemException("c", 3, 0x80000003);
  } catch (const ExitCalled& e) {
    status = e.status;
  }
  EXPECT_EQ(status, 1);
  EXPECT_EQ(Only(), "FATAL ERROR KWR128:\nException 80000003h has been caught at c, line 3.");
  g_boxes.clear();
  status = 0;
  try {
    try {
      throw std::logic_error("y");
    } catch (...) {
      FatalCaughtException("d", 4);
    }
  } catch (const ExitCalled& e) {
    status = e.status;
  }
  EXPECT_EQ(status, 1);
  EXPECT_EQ(Only(), "FATAL ERROR KWR129:\nException \"std::logic_error\" has been caught at d, line 4.");
}

}  // namespace
