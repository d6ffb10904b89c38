// The program driven through its windows: start-up, the main window, the
// tab view, the Tabs menu and the document commands. Every modal box is
// answered through a seam.
#include "app.h"
#include "createsetup.h"
#include "filesview.h"
#include "dialogs.h"
#include "errors.h"
#include "profile.h"
#include "platform/clock.h"
#include "projfile/projfile.h"
#include "resids.h"
#include "reslang.h"
#include "shadecap.h"
#include "sheets.h"
#include "tabview.h"
#include "testutil.h"
#include "win/wintest.h"
#include "tutorial.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Box {
  std::string text;
  std::string caption;
};
std::vector<Box> g_boxes;
std::deque<int> g_answers;  // answers of the next message boxes; IDCANCEL when empty
std::vector<UINT> g_modals;
std::function<INT_PTR(kwf::Dialog&)> g_modalAnswer;
std::deque<std::string> g_fileNames;  // empty: Cancel
std::vector<std::string> g_sheets;    // captions of the sheets run
std::function<INT_PTR(kwf::PropSheet&)> g_sheetAnswer;

int BoxSeam(HWND, const char* text, const char* caption, UINT) {
  g_boxes.push_back({text ? text : "", caption ? caption : ""});
  if (g_answers.empty())
    return IDCANCEL;
  int answer = g_answers.front();
  g_answers.pop_front();
  return answer;
}
int ErrorSeam(const char* text, const char* caption, UINT style) {
  return BoxSeam(nullptr, text, caption, style);
}
INT_PTR ModalSeam(kwf::Dialog& dialog) {
  g_modals.push_back(dialog.TemplateId());
  return g_modalAnswer ? g_modalAnswer(dialog) : IDCANCEL;
}
INT_PTR SheetSeam(kwf::PropSheet& sheet) {
  g_sheets.push_back(sheet.Caption());
  return g_sheetAnswer ? g_sheetAnswer(sheet) : IDCANCEL;
}
bool FileSeam(bool, std::string* path) {
  if (g_fileNames.empty())
    return false;
  *path = g_fileNames.front();
  g_fileNames.pop_front();
  return true;
}

std::string LngFolder() { return std::string(KW_LNG_DIR) + "\\"; }

std::string WindowText(HWND hwnd) {
  char text[512] = {};
  ::GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

std::string MenuText(HMENU menu, int index) {
  char text[256] = {};
  ::GetMenuStringA(menu, static_cast<UINT>(index), text, sizeof text, MF_BYPOSITION);
  return text;
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_boxes.clear();
    g_answers.clear();
    g_modals.clear();
    g_modalAnswer = nullptr;
    g_fileNames.clear();
    g_sheets.clear();
    g_sheetAnswer = nullptr;
    kwf::SetSheetSeam(&SheetSeam);
    kwf::SetMessageBoxSeam(&BoxSeam);
    kwf::SetModalSeam(&ModalSeam);
    kwf::SetFileDialogSeam(&FileSeam);
    SetErrorBoxSeam(&ErrorSeam);
    ProfileSetRegistryBase(kProfileKeyPath);
    ProfileSetIniFile(kProfileIniFile);
    ProfileWriteInt("U:Settings", "DisplayWelcome", 0);
  }
  void TearDown() override {
    if (app_) {
      if (app_->MainWindow() && ::IsWindow(app_->MainWindow())) {
        g_answers.assign({IDNO});
        Close();
      }
      app_->ExitInstance();
      app_.reset();
    }
    EXPECT_EQ(theLanguageArray.GetLoadCount(), 0) << "libraries left loaded";
  }

  bool Start(const std::string& commandLine = "", int show = SW_SHOWNORMAL,
             const std::string& folder = LngFolder()) {
    app_ = std::make_unique<CKitwrightApp>();
    app_->SetLngFolder(folder);
    return app_->InitInstance(commandLine.c_str(), show);
  }
  // Runs the loop until done() holds; false after the time-out.
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    return kwtest::PumpUntil(done, timeoutMs, [&] { return app_->PumpOnce(50); });
  }
  bool Close() {
    ::PostMessageA(app_->MainWindow(), WM_CLOSE, 0, 0);
    return PumpUntil([&] { return app_->QuitSeen(); });
  }
  HWND Frame() { return app_->MainWindow(); }
  // Drives a sheet as the user would: created modeless, changed by drive,
  // ended with a button (PSBTN_OK, PSBTN_CANCEL), pumped until it closes.
  INT_PTR RunSheet(kwf::PropSheet& sheet, const std::function<void(kwf::PropSheet&)>& drive,
                   int button = PSBTN_OK) {
    HWND h = sheet.CreateModeless(Frame());
    EXPECT_NE(h, nullptr);
    if (!h)
      return IDCANCEL;
    drive(sheet);
    ::SendMessageA(h, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    EXPECT_TRUE(PumpUntil([&] { return sheet.Finished(); }, 5000));
    sheet.DestroyModeless();
    return button == PSBTN_OK ? IDOK : IDCANCEL;
  }
  void WaitForSplash() {
    ASSERT_TRUE(PumpUntil([&] { return !app_->SplashShown(); }, 10000));
  }
  std::string StatusText() {
    char text[256] = {};
    ::SendMessageA(app_->Frame()->StatusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }
  CKitwrightTabView& View() { return app_->Frame()->View(); }
  void Command(UINT id) { ::SendMessageA(Frame(), WM_COMMAND, id, 0); }
  // Opens the Tabs menu as the system would before showing it.
  HMENU OpenTabsMenu() {
    HMENU tabs = ::GetSubMenu(::GetMenu(Frame()), 1);
    ::SendMessageA(Frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(tabs), 1);
    return tabs;
  }

  std::unique_ptr<CKitwrightApp> app_;
};

// Start-up failures

TEST_F(AppTest, WithoutResourceLibraryStartUpEndsWithTheFixedMessage) {
  kwtest::TempDir empty;
  EXPECT_FALSE(Start("", SW_SHOWNORMAL, empty.path() + "\\"));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "FATAL ERROR: Cannot load resource DLL.\nPlease reinstall Kitwright");
  EXPECT_EQ(::FindWindowA(kMainWindowClass, nullptr), nullptr);
  EXPECT_EQ(theLanguageArray.GetLoadCount(), 0);
}

TEST_F(AppTest, WithoutExtensionStartUpEndsWithErrorTwoAndReleasesTheLibraries) {
  kwtest::TempDir only;
  fs::copy_file(fs::path(KW_LNG_DIR) / "KWRENG32.DLL", fs::path(only.path()) / "KWRENG32.DLL");
  EXPECT_FALSE(Start("", SW_SHOWNORMAL, only.path() + "\\"));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text,
            "FATAL ERROR KWR002:\nNo language extensions available.  Please re-install Kitwright.");
  EXPECT_EQ(theLanguageArray.GetLoadCount(), 0);
  EXPECT_EQ(::FindWindowA(kMainWindowClass, nullptr), nullptr);
  EXPECT_FALSE(app_->SplashShown());
}

TEST_F(AppTest, OnWin32sOnlyYesContinues) {
  CKitwrightApp::SetWin32sQuery([] { return true; });
  g_answers.assign({IDNO});
  EXPECT_FALSE(Start());
  CKitwrightApp::SetWin32sQuery(nullptr);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text,
            "This release of Kitwright has not been tested under Microsoft\xAE Win32s\xAE. If you "
            "continue, please notice that unpredictable results may occur.\nBRANTEL SOFTWARE WILL "
            "NOT NOT BE LIABLE FOR ANY DAMAGE RESULTING FROM THE USE OF KITWRIGHT IN THIS "
            "ENVIRONMENT.\nDo you agree with these terms?");
  EXPECT_EQ(::FindWindowA(kMainWindowClass, nullptr), nullptr);
}

// The main window and its pages

TEST_F(AppTest, MainWindowHasTitleClassMenuBarsAndNineTabsInOrder) {
  // A maximised start shows the normal, fixed size.
  ASSERT_TRUE(Start("", SW_SHOWMAXIMIZED));
  ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(Frame()) != FALSE; }));
  EXPECT_FALSE(::IsZoomed(Frame()));
  EXPECT_EQ(WindowText(Frame()), "Kitwright - Untitled");
  char cls[64] = {};
  ::GetClassNameA(Frame(), cls, sizeof cls);
  EXPECT_STREQ(cls, "KitwrightClass");
  LONG style = ::GetWindowLongA(Frame(), GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_NE(style & WS_MINIMIZEBOX, 0);

  HMENU menu = ::GetMenu(Frame());
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(::GetMenuItemCount(menu), 4);
  EXPECT_EQ(MenuText(menu, 0), "&File");
  EXPECT_EQ(MenuText(menu, 1), "&Tabs");
  HWND toolbar = ::GetDlgItem(Frame(), CKitwrightWnd::kToolBarId);
  ASSERT_NE(toolbar, nullptr);
  const UINT buttons[] = {0xE100, 0xE101, 0xE103, 0, 0x8500, 0x8501, 0, 0xE143, 0xE145};
  ASSERT_EQ(::SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), 9);
  for (int i = 0; i < 9; ++i) {
    TBBUTTON b = {};
    ::SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(static_cast<UINT>(b.idCommand), buttons[i]) << "button " << i;
  }
  HWND status = ::GetDlgItem(Frame(), CKitwrightWnd::kStatusBarId);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(::SendMessageA(status, SB_GETPARTS, 0, 0), 3);

  HWND tab = View().TabControl();
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(::GetDlgCtrlID(tab), CTabView::kTabControlId);
  const char* const captions[] = {"General",  "Visual Design", "Requirements",
                                  "UI Components", "Files", "Registry",
                                  "INI Files", "Program Icons", "Create Setup"};
  ASSERT_EQ(::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 9);
  ASSERT_EQ(View().GetClientCount(), 9);
  RECT display;
  ::GetClientRect(tab, &display);
  ::SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  for (int i = 0; i < 9; ++i) {
    char text[64] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, captions[i]);
    // Every page fits the tab control's display area: the window grew to the largest.
    HWND page = View().GetClient(i)->Handle();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(::GetParent(page), View().Handle());
    EXPECT_EQ(::GetWindowLongA(page, GWL_STYLE) & (WS_BORDER | DS_MODALFRAME), 0);
    RECT r;
    ::GetWindowRect(page, &r);
    EXPECT_LE(r.right - r.left, display.right - display.left) << captions[i];
    EXPECT_LE(r.bottom - r.top, display.bottom - display.top) << captions[i];
    EXPECT_EQ(::IsWindowVisible(page) != FALSE, i == 0) << captions[i];
  }
  RECT frame;
  ::GetWindowRect(Frame(), &frame);
  EXPECT_GE(frame.right - frame.left, kMainWindowWidth);
  EXPECT_GE(frame.bottom - frame.top, kMainWindowHeight);
}

TEST_F(AppTest, TabsMenuListsThePagesAndSwitchesThem) {
  ASSERT_TRUE(Start());
  HMENU tabs = OpenTabsMenu();
  ASSERT_EQ(::GetMenuItemCount(tabs), 9);
  const char* const items[] = {"&1 General",  "&2 Visual Design", "&3 Requirements",
                               "&4 UI Components", "&5 Files", "&6 Registry",
                               "&7 INI Files", "&8 Program Icons", "&9 Create Setup"};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(MenuText(tabs, i), items[i]);
    EXPECT_EQ(::GetMenuItemID(tabs, i), 0x9000u + static_cast<UINT>(i));
    EXPECT_EQ((::GetMenuState(tabs, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0, i == 0);
  }
  Command(0x9004);
  EXPECT_EQ(View().GetActiveTab(), 4);
  EXPECT_EQ(::SendMessageA(View().TabControl(), TCM_GETCURSEL, 0, 0), 4);
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(::IsWindowVisible(View().GetClient(i)->Handle()) != FALSE, i == 4) << i;
  tabs = OpenTabsMenu();
  ASSERT_EQ(::GetMenuItemCount(tabs), 9) << "reopening must not add items";
  EXPECT_NE(::GetMenuState(tabs, 4, MF_BYPOSITION) & MF_CHECKED, 0u);
  EXPECT_EQ(::GetMenuState(tabs, 0, MF_BYPOSITION) & MF_CHECKED, 0u);
  EXPECT_FALSE(View().SetActiveTab(9));
  EXPECT_EQ(View().GetActiveTab(), 4);
}

TEST_F(AppTest, TabsMenuPlaceholderAndAmpersands) {
  ASSERT_TRUE(Start());
  CTabView view;
  RECT area = {0, 0, 500, 400};
  ASSERT_NE(view.CreateView(Frame(), area, ::GetModuleHandleA(nullptr)), nullptr);
  view.OnInitialUpdate();
  HMENU menu = ::CreatePopupMenu();
  ::AppendMenuA(menu, MF_STRING, 0x9000, "Tab List");
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu, MF_STRING, 0x1234, "Other");

  view.OnInitMenuPopup(menu, false);
  ASSERT_EQ(::GetMenuItemCount(menu), 3);
  EXPECT_EQ(MenuText(menu, 0), "Tab List");
  EXPECT_NE(::GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED, 0u);

  CTabClient first(10, "Save & Exit");
  CTabClient second(23);
  ASSERT_TRUE(view.AddClient(&first));
  ASSERT_TRUE(view.AddClient(&second));
  view.OnInitMenuPopup(menu, false);
  ASSERT_EQ(::GetMenuItemCount(menu), 4);
  EXPECT_EQ(MenuText(menu, 0), "&1 Save && Exit");
  EXPECT_EQ(MenuText(menu, 1), "&2 Visual Design");
  EXPECT_EQ(::GetMenuItemID(menu, 2), 0u) << "the rest of the menu stays";
  // An item that nobody answers for is greyed.
  EXPECT_NE(::GetMenuState(menu, 0x1234, MF_BYCOMMAND) & MF_GRAYED, 0u);
  ::DestroyMenu(menu);
  ::DestroyWindow(view.Handle());
}

TEST_F(AppTest, SystemMenuOffersNeitherSizeNorMaximise) {
  ASSERT_TRUE(Start());
  HMENU system = ::GetSystemMenu(Frame(), FALSE);
  ASSERT_NE(system, nullptr);
  ::SendMessageA(Frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, 1));
  for (UINT id : {SC_SIZE, SC_MAXIMIZE, SC_RESTORE})
    EXPECT_NE(::GetMenuState(system, id, MF_BYCOMMAND) & MF_GRAYED, 0u) << id;
  EXPECT_EQ(::GetMenuState(system, SC_MINIMIZE, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

// Splash and welcome

TEST_F(AppTest, SplashStaysTwoAndAHalfSecondsThenTheWelcomeDialogShows) {
  ProfileWriteInt("U:Settings", "DisplayWelcome", 1);
  DWORD start = ::GetTickCount();
  ASSERT_TRUE(Start());
  EXPECT_TRUE(app_->SplashShown());
  EXPECT_TRUE(g_modals.empty());
  // The splash stays in front of the main window, also once that is shown.
  ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(Frame()) != FALSE; }));
  ASSERT_TRUE(app_->SplashShown());
  EXPECT_NE(::GetWindowLongA(app_->SplashWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  bool splashFirst = false;
  for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
    if (w == app_->SplashWindow()) {
      splashFirst = true;
      break;
    }
    if (w == Frame())
      break;
  }
  EXPECT_TRUE(splashFirst);
  ASSERT_TRUE(PumpUntil([&] { return app_->IdleDone(); }));
  EXPECT_GE(::GetTickCount() - start, CKitwrightApp::kSplashMs);
  EXPECT_FALSE(app_->SplashShown());
  ASSERT_EQ(g_modals.size(), 1u);
  EXPECT_EQ(g_modals[0], 5u);
  // Cancel writes nothing.
  EXPECT_EQ(ProfileGetInt("U:Settings", "DisplayWelcome", 7), 1u);
}

TEST_F(AppTest, WelcomeOkWithTheBoxCheckedTurnsItOff) {
  ProfileWriteInt("U:Settings", "DisplayWelcome", 1);
  g_modalAnswer = [](kwf::Dialog& d) -> INT_PTR {
    auto& welcome = dynamic_cast<CWelcomeDialog&>(d);
    welcome.choice = CWelcomeDialog::kCreateNew;
    welcome.dontShowAgain = true;
    return IDOK;
  };
  ASSERT_TRUE(Start());
  ASSERT_TRUE(PumpUntil([&] { return app_->IdleDone(); }));
  EXPECT_EQ(g_modals.size(), 1u);
  EXPECT_EQ(ProfileGetInt("U:Settings", "DisplayWelcome", 7), 0u);
  EXPECT_EQ(WindowText(Frame()), "Kitwright - Untitled");
}

TEST_F(AppTest, WelcomeOpenExistingRunsFileOpen) {
  kwtest::TempDir dir;
  const std::string path = dir.file("existing.kwr");
  {
    CKitwrightProject project;
    project.OnNewDocument();
    project.m_strCompanyName = "Existing";
    ASSERT_EQ(kw::SaveProject(project, path), kw::kProjectOk);
  }
  ProfileWriteInt("U:Settings", "DisplayWelcome", 1);
  g_modalAnswer = [](kwf::Dialog& d) -> INT_PTR {
    dynamic_cast<CWelcomeDialog&>(d).choice = CWelcomeDialog::kOpenExisting;
    return IDOK;
  };
  g_fileNames.assign({path});
  ASSERT_TRUE(Start());
  ASSERT_TRUE(PumpUntil([&] { return app_->IdleDone(); }));
  EXPECT_STREQ(app_->Project().m_strCompanyName.c_str(), "Existing");
  EXPECT_EQ(WindowText(Frame()), "Kitwright - existing.kwr");
  EXPECT_EQ(ProfileGetInt("U:Settings", "DisplayWelcome", 7), 1u);
}

TEST_F(AppTest, HelpGoesToTheLibrarysHelpFileWithContextAsPopup) {
  struct Call {
    std::string file;
    UINT command;
    DWORD_PTR data;
  };
  static std::vector<Call> calls;
  calls.clear();
  kwf::SetHelpSeam([](HWND, const char* file, UINT command, DWORD_PTR data) {
    calls.push_back({file, command, data});
  });
  ASSERT_TRUE(Start());
  app_->WinHelp(0x1234, HELP_CONTEXT);
  Command(0xE143);
  kwf::SetHelpSeam(nullptr);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].file, "KWRENG.HLP");
  EXPECT_EQ(calls[0].command, static_cast<UINT>(HELP_CONTEXTPOPUP));
  EXPECT_EQ(calls[0].data, 0x1234u);
  EXPECT_EQ(calls[1].command, static_cast<UINT>(HELP_FINDER));
}

TEST_F(AppTest, DocumentTemplateHoldsTheSevenStringsAndRegistersTheFileType) {
  ASSERT_TRUE(Start());
  kwf::DocTemplate* t = app_->GetDocTemplate();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->ResourceId(), 0x6FFFu);
  using D = kwf::DocTemplate;
  const std::pair<D::DocString, const char*> parts[] = {
      {D::kWindowTitle, "Kitwright"}, {D::kDocName, "Untitled"}, {D::kFileNewName, "Project"},
      {D::kFilterName, "Kitwright Projects (*.kwr)"}, {D::kFilterExt, ".kwr"},
      {D::kRegFileTypeId, "KitwrightProject"}, {D::kRegFileTypeName, "Kitwright Project"}};
  for (const auto& [index, text] : parts)
    EXPECT_EQ(t->GetDocString(index), text) << index;
  EXPECT_EQ(t->FileFilter(), std::string("Kitwright Projects (*.kwr)\0*.kwr\0\0", 34));

  auto value = [](const char* key) {
    char text[MAX_PATH + 64] = {};
    LONG size = sizeof text;
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, key, text, &size) != ERROR_SUCCESS)
      return std::string("(none)");
    return std::string(text);
  };
  char exe[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, exe, sizeof exe);
  EXPECT_EQ(value(".kwr"), "KitwrightProject");
  EXPECT_EQ(value("KitwrightProject"), "Kitwright Project");
  EXPECT_EQ(value("KitwrightProject\\DefaultIcon"), std::string(exe) + ",0");
  EXPECT_EQ(value("KitwrightProject\\shell\\open\\command"), "\"" + std::string(exe) + "\" \"%1\"");
  EXPECT_EQ(value("KitwrightProject\\shell\\print\\command"),
            "\"" + std::string(exe) + "\" /p \"%1\"");

  // A template whose string is missing has empty parts.
  kwf::DocTemplate none(0x6FFE);
  none.LoadStrings();
  EXPECT_EQ(none.GetDocString(D::kFilterExt), "");
  EXPECT_EQ(none.FileFilter(), std::string("\0*\0\0", 4));
}

TEST_F(AppTest, NoWelcomeWhenSwitchedOff) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(PumpUntil([&] { return app_->IdleDone(); }));
  EXPECT_TRUE(g_modals.empty());
}

// Documents

TEST_F(AppTest, NewSaveOpenRoundTripWithTheModifiedPrompt) {
  kwtest::TempDir dir;
  const std::string path = dir.file("first.kwr");
  ASSERT_TRUE(Start());
  CKitwrightProject& project = app_->Project();

  project.m_strProductName = "Widget";
  project.SetModifiedFlag(true);
  // Cancel keeps the project.
  g_answers.assign({IDCANCEL});
  Command(0xE100);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "Save changes to Untitled?");
  EXPECT_EQ(g_boxes[0].caption, "Kitwright");
  EXPECT_STREQ(project.m_strProductName.c_str(), "Widget");
  EXPECT_TRUE(project.IsModified());
  // No drops it.
  g_answers.assign({IDNO});
  Command(0xE100);
  EXPECT_STREQ(project.m_strProductName.c_str(), "");
  EXPECT_FALSE(project.IsModified());

  // Save As names the file.
  project.m_strProductName = "Widget";
  project.SetModifiedFlag(true);
  g_fileNames.assign({path});
  Command(0xE104);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_FALSE(project.IsModified());
  EXPECT_EQ(WindowText(Frame()), "Kitwright - first.kwr");

  // Yes on the prompt saves under the same name before the new project.
  project.m_strProductName = "Widget 2";
  project.SetModifiedFlag(true);
  g_boxes.clear();
  g_answers.assign({IDYES});
  Command(0xE100);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "Save changes to first.kwr?");
  EXPECT_EQ(WindowText(Frame()), "Kitwright - Untitled");
  EXPECT_STREQ(project.m_strProductName.c_str(), "");

  // Open brings it back.
  g_fileNames.assign({path});
  Command(0xE101);
  EXPECT_STREQ(project.m_strProductName.c_str(), "Widget 2");
  EXPECT_EQ(project.GetPathName(), path);
  EXPECT_EQ(WindowText(Frame()), "Kitwright - first.kwr");
  ASSERT_FALSE(app_->RecentFiles().empty());
  EXPECT_EQ(app_->RecentFiles().front(), path);

  // Save writes to the same file.
  project.m_strProductName = "Widget 3";
  project.SetModifiedFlag(true);
  Command(0xE103);
  EXPECT_FALSE(project.IsModified());
  CKitwrightProject check;
  ASSERT_EQ(kw::LoadProject(check, path), kw::kProjectOk);
  EXPECT_STREQ(check.m_strProductName.c_str(), "Widget 3");
}

TEST_F(AppTest, DamagedFileIsReportedAndLeavesTheProject) {
  kwtest::TempDir dir;
  const std::string bad = dir.file("bad.kwr");
  kwtest::WriteFile(bad, std::string("not a compound file at all"));
  ASSERT_TRUE(Start());
  app_->Project().m_strProductName = "Kept";
  g_fileNames.assign({bad});
  Command(0xE101);
  ASSERT_EQ(g_boxes.size(), 1u);
  CKitwrightProject scratch;
  uint16_t code = kw::LoadProject(scratch, bad);
  ASSERT_NE(code, kw::kProjectOk);
  EXPECT_EQ(g_boxes[0].text, kw::FormatProjectFileMessage(code, bad));
  EXPECT_STREQ(app_->Project().m_strProductName.c_str(), "Kept");
  EXPECT_EQ(WindowText(Frame()), "Kitwright - Untitled");
}

TEST_F(AppTest, ProjectOnTheCommandLineOpensWithoutWelcome) {
  kwtest::TempDir dir;
  const std::string path = dir.file("named project.kwr");
  {
    CKitwrightProject project;
    project.OnNewDocument();
    project.m_strProductName = "From the command line";
    ASSERT_EQ(kw::SaveProject(project, path), kw::kProjectOk);
  }
  ProfileWriteInt("U:Settings", "DisplayWelcome", 1);
  ASSERT_TRUE(Start("\"" + path + "\""));
  ASSERT_TRUE(PumpUntil([&] { return app_->IdleDone(); }));
  EXPECT_TRUE(g_modals.empty());
  EXPECT_STREQ(app_->Project().m_strProductName.c_str(), "From the command line");
  EXPECT_EQ(WindowText(Frame()), "Kitwright - named project.kwr");
}

TEST_F(AppTest, ClosingWithCancelOnThePromptKeepsTheWindow) {
  ASSERT_TRUE(Start());
  app_->Project().SetModifiedFlag(true);
  g_answers.assign({IDCANCEL});
  ::SendMessageA(Frame(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(::IsWindow(Frame()));
  EXPECT_EQ(g_boxes.size(), 1u);
}

// Dialogs of this program, created for real and read back

TEST_F(AppTest, AboutBoxShowsTheProductVersion) {
  ASSERT_TRUE(Start());
  CAboutDialog about;
  ASSERT_NE(about.CreateModeless(Frame()), nullptr);
  char text[128] = {};
  ::GetDlgItemTextA(about.Handle(), CAboutDialog::kVersionStatic, text, sizeof text);
  EXPECT_STREQ(text, "Version 97b.");
}

TEST_F(AppTest, AboutCreditsOpenOnlyWithControlAndShift) {
  ASSERT_TRUE(Start());
  CAboutDialog about;
  ASSERT_NE(about.CreateModeless(Frame()), nullptr);
  HWND picture = ::GetDlgItem(about.Handle(), CAboutDialog::kCreditsBitmap);
  ASSERT_NE(picture, nullptr);
  for (WPARAM keys : {WPARAM{0}, WPARAM{MK_CONTROL}, WPARAM{MK_SHIFT}, WPARAM{MK_CONTROL | MK_SHIFT}}) {
    g_modals.clear();
    ::SendMessageA(picture, WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(picture, WM_LBUTTONUP, keys, MAKELPARAM(2, 2));
    PumpUntil([] { return !g_modals.empty(); }, 300);
    std::vector<UINT> want;
    if (keys == (MK_CONTROL | MK_SHIFT))
      want.push_back(30721);
    EXPECT_EQ(g_modals, want) << keys;
  }
}

TEST_F(AppTest, UsageSwitchShowsTheUsageAndEnds) {
  EXPECT_FALSE(Start("/?"));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_NE(g_boxes[0].text.find("Usage: KWRCLS32.EXE [options] [projectfile]"), std::string::npos);
  EXPECT_EQ(g_boxes[0].caption, "Kitwright");
  EXPECT_EQ(app_->MainWindow(), nullptr);
}

TEST_F(AppTest, WelcomeDialogStartsFromTheRecentFileList) {
  ASSERT_TRUE(Start());
  struct Case {
    bool recent;
    int checked;
  } cases[] = {{false, CWelcomeDialog::kOpenExisting}, {true, CWelcomeDialog::kOpenLast}};
  for (const Case& c : cases) {
    CWelcomeDialog welcome(c.recent);
    ASSERT_NE(welcome.CreateModeless(Frame()), nullptr);
    HWND h = welcome.Handle();
    for (int id : {101, 102, 103})
      EXPECT_EQ(::IsDlgButtonChecked(h, id) == BST_CHECKED, id == c.checked) << id;
    EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(h, 102)) != FALSE, c.recent);
    // OK reads the choice and the check box.
    ::CheckRadioButton(h, 101, 103, 103);
    ::CheckDlgButton(h, 201, BST_CHECKED);
    ::SendMessageA(h, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(welcome.choice, CWelcomeDialog::kCreateNew);
    EXPECT_TRUE(welcome.dontShowAgain);
  }
}

TEST_F(AppTest, FinishedDialogNamesTheOutputFolder) {
  ASSERT_TRUE(Start());
  CFinishedDialog finished("C:\\Out 50%s");
  ASSERT_NE(finished.CreateModeless(Frame()), nullptr);
  char text[1024] = {};
  ::GetDlgItemTextA(finished.Handle(), CFinishedDialog::kTextStatic, text, sizeof text);
  // The folder is put in as it is, never read as a format.
  EXPECT_NE(std::string(text).find("\"C:\\Out 50%s\\disk*\""), std::string::npos) << text;
}

TEST_F(AppTest, BuildOnAnUnsavedProjectReachesTheCreateSetupTab) {
  ASSERT_TRUE(Start());
  ASSERT_EQ(View().GetActiveTab(), 0);
  Command(ID_BUILD);
  EXPECT_EQ(View().GetActiveTab(), 8);
  EXPECT_TRUE(::IsWindowVisible(View().GetClient(8)->Handle()));
  // The build ran and refused the unsaved project.
  ASSERT_TRUE(PumpUntil([&] { return !View().Building(); }));
  const std::string& log = View().CreateSetupPage()->LogText();
  EXPECT_NE(log.find("ERROR 202: The current project must be saved before creating a setup program.\r\n"),
            std::string::npos) << log;
  EXPECT_NE(log.find("Build cancelled - 1 error(s).\r\n"), std::string::npos) << log;
  EXPECT_TRUE(g_modals.empty());
}

// Builds from the Create Setup tab, on a copy of the sample project.
class BuildTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    // The runtime's copy (read by the program) and the process's (inherited by KWRBUILD.EXE).
    _putenv("SOURCE_DATE_EPOCH=1000000000");
    fs::copy(kwtest::HostPath(KW_SAMPLE_DIR), fs::path(dir.path()) / "demo", fs::copy_options::recursive);
    project = (fs::path(dir.path()) / "demo" / "Demo.kwr").string();
    ProfileWriteInt("U:Settings", "DisplayFinished", 1);
  }
  void TearDown() override {
    AppTest::TearDown();
    _putenv("SOURCE_DATE_EPOCH=");
    kw::SetFixedClock(std::nullopt);
  }
  // Starts the program on the project, on the Create Setup tab.
  bool Open() {
    if (!Start() || !app_->OpenDocumentFile(project))
      return false;
    View().SetActiveTab(8);
    return Page() != nullptr;
  }
  CCreateSetupView* Page() { return View().CreateSetupPage(); }
  HWND Control(int id) { return ::GetDlgItem(Page()->Handle(), id); }
  void Click(int id) {
    ::SendMessageA(Page()->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(id)));
  }
  bool WaitForBuild() { return PumpUntil([&] { return !View().Building(); }, 120000); }
  std::string Disk1() { return app_->Project().GetOutputDirectory() + "\\DISK1\\SETUP.EXE"; }

  kwtest::TempDir dir;
  std::string project;
};

TEST_F(BuildTest, TheCreateSetupTabBuildsWhatKwrbuildBuilds) {
  ASSERT_TRUE(Open());
  // The disk sizes of the table, the project's selected; a choice is stored.
  HWND combo = Control(CCreateSetupView::kDiskSize);
  ASSERT_EQ(::SendMessageA(combo, CB_GETCOUNT, 0, 0), 6);
  EXPECT_EQ(static_cast<uint32_t>(::SendMessageA(combo, CB_GETITEMDATA,
                                                 ::SendMessageA(combo, CB_GETCURSEL, 0, 0), 0)),
            app_->Project().m_dwDiskSize);
  ::SendMessageA(combo, CB_SETCURSEL, 5, 0);
  ::SendMessageA(Page()->Handle(), WM_COMMAND, MAKEWPARAM(CCreateSetupView::kDiskSize, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  EXPECT_EQ(app_->Project().m_dwDiskSize, 730112u);
  EXPECT_TRUE(app_->Project().IsModified());

  Click(CCreateSetupView::kStart);
  ASSERT_TRUE(View().Building());
  ASSERT_NE(Page()->Progress(), nullptr);
  EXPECT_TRUE(::IsWindowVisible(Page()->Progress()->Handle()));
  // A second start while one runs does nothing; nor can File New take the
  // project from under the build.
  EXPECT_FALSE(Page()->StartBuild());
  Command(ID_FILE_NEW);
  EXPECT_EQ(app_->Project().GetPathName(), project);
  ASSERT_TRUE(WaitForBuild());
  ASSERT_TRUE(PumpUntil([] { return !g_modals.empty(); }, 5000));
  EXPECT_EQ(g_modals, std::vector<UINT>{26});  // Build Finished

  // The log ends with the success line, and its last line is in view.
  const std::string& log = Page()->LogText();
  const std::string last = "Build finished - 0 warning(s).\r\n";
  ASSERT_GE(log.size(), last.size());
  EXPECT_EQ(log.substr(log.size() - last.size()), last) << log;
  HWND edit = Control(CCreateSetupView::kLog);
  EXPECT_EQ(WindowText(edit).substr(0, 20), log.substr(0, 20));
  int lines = static_cast<int>(::SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
  int first = static_cast<int>(::SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
  RECT r;
  ::SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  const int visible = (r.bottom - r.top) / 13;
  EXPECT_GT(lines, 4);
  EXPECT_LE(lines - 2, first + visible);
  EXPECT_FALSE(app_->Project().NeedsRebuild());
  // A log longer than the box keeps its newest line in view.
  for (int i = 0; i < 3 * visible; ++i) {
    std::string line = "line " + std::to_string(i);
    ::SendMessageA(Page()->Handle(), CCreateSetupView::kMsgAppendLog, 0, reinterpret_cast<LPARAM>(&line));
  }
  lines = static_cast<int>(::SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
  first = static_cast<int>(::SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
  EXPECT_GT(first, 0);
  EXPECT_GE(first + visible, lines - 1);
  EXPECT_LE(first, lines - 2);

  // Test Run on the page: up to date, so the setup is opened at once.
  static std::vector<std::string> opened;
  opened.clear();
  kwf::SetShellSeam([](const char* verb, const char* file) {
    opened.push_back(std::string(verb) + " " + file);
    return true;
  });
  Click(CCreateSetupView::kTestRun);
  PumpUntil([] { return !opened.empty(); }, 3000);
  kwf::SetShellSeam(nullptr);
  EXPECT_EQ(opened, std::vector<std::string>{"open " + Disk1()});

  // KWRBUILD.EXE, given the same project, size and clock, writes the same bytes.
  const std::vector<uint8_t> gui = kwtest::ReadFile(Disk1());
  ASSERT_GT(gui.size(), 1000u);
  std::string cmd = "\"" + kwtest::HostPath(KW_KWRBUILD) + "\" --force --disk-size 720KB --lng \"" +
                    kwtest::HostPath(KW_LNG_DIR) + "\" \"" + project + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
      << cmd;
  ::WaitForSingleObject(pi.hProcess, 120000);
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u) << cmd;
  EXPECT_EQ(kwtest::ReadFile(Disk1()), gui);
}

TEST_F(BuildTest, CancelAnsweredNoRunsOnAndYesEndsWithAUserBreak) {
  ASSERT_TRUE(Open());
  // Until the loop runs, the build thread waits for its first log line:
  // the question comes while it is surely running.
  Click(CCreateSetupView::kStart);
  ASSERT_TRUE(View().Building());
  HWND progress = Page()->Progress()->Handle();
  g_answers.assign({IDNO});
  ::SendMessageA(progress, WM_COMMAND, IDCANCEL, 0);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "The setup build process has not been completed. Do you really want to cancel?");
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(progress, IDCANCEL)));
  ASSERT_TRUE(WaitForBuild());
  EXPECT_NE(Page()->LogText().find("Build finished - 0 warning(s)."), std::string::npos);
  EXPECT_FALSE(::IsWindow(progress));
  ASSERT_TRUE(PumpUntil([] { return !g_modals.empty(); }, 5000));

  g_modals.clear();
  Click(CCreateSetupView::kStart);
  ASSERT_TRUE(View().Building());
  progress = Page()->Progress()->Handle();
  g_answers.assign({IDYES});
  ::SendMessageA(progress, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(progress, IDCANCEL)));
  ASSERT_TRUE(WaitForBuild());
  const std::string& log = Page()->LogText();
  EXPECT_NE(log.find("ERROR 201: User break.\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("Build finished"), std::string::npos) << log;
  EXPECT_FALSE(fs::exists(Disk1()));
  PumpUntil([] { return !g_modals.empty(); }, 500);
  EXPECT_TRUE(g_modals.empty());  // no Build Finished after a failure
}

TEST_F(BuildTest, ClosingDuringABuildAsksAndWaitsForIt) {
  ASSERT_TRUE(Open());
  Click(CCreateSetupView::kStart);
  ASSERT_TRUE(View().Building());
  // No: the window and the build stay.
  g_answers.assign({IDNO});
  ::SendMessageA(Frame(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(::IsWindow(Frame()));
  EXPECT_TRUE(View().Building());
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "The setup build process has not been completed. Do you really want to cancel?");
  // Yes: cancelled, waited for, then the window goes.
  g_answers.assign({IDYES});
  HWND frame = Frame();
  ::SendMessageA(frame, WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(frame));
  EXPECT_FALSE(fs::exists(Disk1()));
}

TEST_F(BuildTest, TheProgressDialogShortensALongPath) {
  ASSERT_TRUE(Start());
  std::atomic<int> cancel{0};
  CProgressDlg dialog(&cancel);
  ASSERT_NE(dialog.Create(Frame()), nullptr);
  const std::string path = "C:\\Program Files\\Brantel SoftWare\\Kitwright Samples\\Deeply\\Nested\\"
                           "Folders\\Of The Demo Application\\And Then Some More\\DEMO.DLL";
  ::SendMessageA(dialog.Handle(), CProgressDlg::kMsgSetFile, 0, reinterpret_cast<LPARAM>(path.c_str()));
  std::string shown = WindowText(::GetDlgItem(dialog.Handle(), CProgressDlg::kFileText));
  EXPECT_EQ(shown.substr(0, 6), "C:\\...") << shown;
  EXPECT_LT(shown.size(), path.size());
  const std::string tail = shown.substr(6);
  EXPECT_EQ(path.substr(path.size() - tail.size()), tail) << shown;
  EXPECT_EQ(::SendDlgItemMessageA(dialog.Handle(), CProgressDlg::kFileBar, PBM_GETRANGE, FALSE, 0), 100);
  ::DestroyWindow(dialog.Handle());
}

TEST_F(AppTest, BuildOfAnUpToDateProjectFinishesAndTestRunLaunchesTheSetup) {
  static std::vector<std::string> opened;
  opened.clear();
  kwf::SetShellSeam([](const char* verb, const char* file) {
    opened.push_back(std::string(verb) + " " + file);
    return true;
  });
  fs::path dir = fs::temp_directory_path() / "kw_uptodate";
  fs::remove_all(dir);
  fs::create_directories(dir / "T" / "144MB" / "DISK1");
  { std::ofstream(dir / "T" / "144MB" / "DISK1" / "SETUP.EXE") << "MZ"; }
  ProfileWriteInt("U:Settings", "DisplayFinished", 1);
  ASSERT_TRUE(Start());
  g_fileNames.assign({(dir / "T.kwr").string()});
  Command(0xE104);
  app_->Project().MarkBuilt();
  ASSERT_FALSE(app_->Project().NeedsRebuild());
  const std::string setup = (dir / "T" / "144MB" / "DISK1" / "SETUP.EXE").string();

  // Build: nothing to do, so the Build Finished dialog follows (posted).
  Command(0x8500);
  EXPECT_EQ(StatusText(), "The project is up-to-date.");
  EXPECT_TRUE(g_modals.empty());
  PumpUntil([] { return !g_modals.empty(); }, 3000);
  EXPECT_EQ(g_modals, std::vector<UINT>{26});
  EXPECT_TRUE(opened.empty());

  // Test Run launches the setup at once and shows no dialog; once.
  g_modals.clear();
  Command(0x8501);
  PumpUntil([] { return !opened.empty(); }, 3000);
  EXPECT_EQ(opened, std::vector<std::string>{"open " + setup});
  EXPECT_EQ(StatusText(), "Please wait while Kitwright is launching the setup program.");
  EXPECT_TRUE(g_modals.empty());
  opened.clear();
  ::SendMessageA(Frame(), WM_COMMAND, 0x8502, 0);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(g_modals, std::vector<UINT>{26});

  // Switched off, the dialog stays away.
  g_modals.clear();
  ProfileWriteInt("U:Settings", "DisplayFinished", 0);
  ::SendMessageA(Frame(), WM_COMMAND, 0x8502, 0);
  EXPECT_TRUE(g_modals.empty());
  ProfileWriteInt("U:Settings", "DisplayFinished", 1);
  kwf::SetShellSeam(nullptr);
  fs::remove_all(dir);
}

TEST_F(AppTest, HelpKeyOnAPageAsksForTheFocusedControl) {
  static std::vector<std::pair<UINT, std::vector<DWORD>>> calls;
  static std::vector<HWND> windows;
  calls.clear();
  windows.clear();
  kwf::SetHelpSeam([](HWND window, const char*, UINT command, DWORD_PTR data) {
    std::vector<DWORD> ids;
    if (command == HELP_WM_HELP)
      ids.assign(reinterpret_cast<const DWORD*>(data), reinterpret_cast<const DWORD*>(data) + 4);
    calls.push_back({command, ids});
    windows.push_back(window);
  });
  ASSERT_TRUE(Start());
  ::SetActiveWindow(Frame());
  HWND page = View().GetClient(0)->Handle();
  HWND control = nullptr;
  for (HWND c = ::GetWindow(page, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
    if (::GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) {
      control = c;
      break;
    }
  ASSERT_NE(control, nullptr);
  ::SetFocus(control);
  ASSERT_EQ(::GetFocus(), control);
  Command(0xE146);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].first, static_cast<UINT>(HELP_WM_HELP));
  DWORD id = static_cast<DWORD>(::GetDlgCtrlID(control));
  EXPECT_EQ(calls[0].second, (std::vector<DWORD>{id, id + 0x50000, 0, 0}));
  // WinHelp explains the window it is handed: the control itself.
  EXPECT_EQ(windows[0], control);
  // Without a focused control nothing happens.
  ::SetFocus(Frame());
  Command(0xE146);
  EXPECT_EQ(calls.size(), 1u);
  kwf::SetHelpSeam(nullptr);
}

// Training Card tutorial

TEST_F(AppTest, TutorialMovesTheWindowFollowsTheTabsAndRestoresThePosition) {
  struct Call {
    std::string file;
    UINT command;
    DWORD_PTR data;
  };
  static std::vector<Call> calls;
  calls.clear();
  kwf::SetHelpSeam([](HWND, const char* file, UINT command, DWORD_PTR data) {
    calls.push_back({file, command, data});
  });
  ASSERT_TRUE(Start());
  ::SetWindowPos(Frame(), nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT before;
  ::GetWindowRect(Frame(), &before);
  RECT work;
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int workWidth = work.right - work.left;

  Command(0x8904);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].file, "KWRENG.HLP>TCard");
  EXPECT_EQ(calls[0].command, static_cast<UINT>(HELP_TCARD | HELP_CONTEXT));
  EXPECT_EQ(calls[0].data, 0xF000u);
  RECT moved;
  ::GetWindowRect(Frame(), &moved);
  EXPECT_EQ(moved.left, workWidth - (before.right - before.left) - workWidth / 3);
  EXPECT_EQ(moved.top, before.top);

  // The cards start tracking; the acknowledgement on the first tab shows the next card.
  ::SendMessageA(Frame(), WM_TCARD, 0x3000, 0);
  ::SendMessageA(Frame(), WM_TCARD, IDOK, 0);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].data, 0xF002u);
  // Only the tab of the current step shows its card.
  Command(0x9001);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2].data, 0xF003u);
  Command(0x9003);
  EXPECT_EQ(calls.size(), 3u);
  Command(0x9002);
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[3].data, 0xF004u);
  EXPECT_EQ(Tutorial().step, 3);

  // Closing while tracking stores the place the window had before.
  ASSERT_TRUE(Close());
  kwf::SetHelpSeam(nullptr);
  EXPECT_EQ(static_cast<int>(ProfileGetInt("U:Settings", "XPos", -1)), before.left);
  EXPECT_EQ(static_cast<int>(ProfileGetInt("U:Settings", "YPos", -1)), before.top);
  EXPECT_FALSE(Tutorial().tracking);
}

TEST_F(AppTest, TutorialEndRestoresTheWindow) {
  ASSERT_TRUE(Start());
  ::SetWindowPos(Frame(), nullptr, 25, 35, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  kwf::SetHelpSeam([](HWND, const char*, UINT, DWORD_PTR) {});
  Command(0x8904);
  ::SendMessageA(Frame(), WM_TCARD, 0x3000, 0);
  ::SendMessageA(Frame(), WM_TCARD, IDCLOSE, 0);
  EXPECT_FALSE(Tutorial().tracking);
  ASSERT_TRUE(PumpUntil([&] {
    RECT r;
    ::GetWindowRect(Frame(), &r);
    return r.left == 25 && r.top == 35;
  }));
  kwf::SetHelpSeam(nullptr);
}

// Position

TEST_F(AppTest, PositionIsStoredOnCloseButNotWhenMinimised) {
  ASSERT_TRUE(Start());
  ::SetWindowPos(Frame(), nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(Close());
  EXPECT_EQ(static_cast<int>(ProfileGetInt("U:Settings", "XPos", -1)), 37);
  EXPECT_EQ(static_cast<int>(ProfileGetInt("U:Settings", "YPos", -1)), 41);
  app_->ExitInstance();
  app_.reset();

  ASSERT_TRUE(Start());
  RECT r;
  ::GetWindowRect(Frame(), &r);
  EXPECT_EQ(r.left, 37);
  EXPECT_EQ(r.top, 41);
  ::SetWindowPos(Frame(), nullptr, 90, 95, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(Frame(), SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(Frame()) != FALSE; }));
  ASSERT_TRUE(Close());
  EXPECT_EQ(static_cast<int>(ProfileGetInt("U:Settings", "XPos", -1)), 37);
  EXPECT_EQ(static_cast<int>(ProfileGetInt("U:Settings", "YPos", -1)), 41);
}

// Pieces without a window

// Options

TEST_F(AppTest, OptionsSheetLoadsTheSettingsAndStoresThemOnOk) {
  ProfileWriteInt("U:Settings", "FlatToolbar", 1);
  ProfileWriteInt("U:Settings", "DisplayFinished", 1);
  ProfileWriteInt("U:Settings", "Language", 1033);
  ASSERT_TRUE(Start());
  ASSERT_TRUE(app_->Frame()->ToolBarEx().IsFlat());
  int pages = 0;
  g_sheetAnswer = [&](kwf::PropSheet& sheet) {
    return RunSheet(sheet, [&](kwf::PropSheet& s) {
      pages = s.PageCount();
      HWND page = s.Page(0)->Handle();
      ASSERT_NE(page, nullptr);
      EXPECT_EQ(::IsDlgButtonChecked(page, CConfigGeneral::kWelcome), BST_UNCHECKED);
      EXPECT_EQ(::IsDlgButtonChecked(page, CConfigGeneral::kFlatToolbar), BST_CHECKED);
      EXPECT_EQ(::IsDlgButtonChecked(page, CConfigGeneral::kFinished), BST_CHECKED);
      EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, CConfigGeneral::k3dBorders)));
      // One entry per resource library; the language in use is selected.
      HWND list = ::GetDlgItem(page, CConfigGeneral::kLanguage);
      ASSERT_EQ(::SendMessageA(list, CB_GETCOUNT, 0, 0), 2);
      LRESULT sel = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
      ASSERT_GE(sel, 0);
      EXPECT_EQ(::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0), 1033);
      ::CheckDlgButton(page, CConfigGeneral::kWelcome, BST_CHECKED);
      ::CheckDlgButton(page, CConfigGeneral::kFlatToolbar, BST_UNCHECKED);
      ::CheckDlgButton(page, CConfigGeneral::kFinished, BST_UNCHECKED);
    });
  };
  Command(0x8401);
  ASSERT_EQ(g_sheets, std::vector<std::string>{"Options"});
  EXPECT_EQ(pages, 2);
  EXPECT_EQ(ProfileGetInt("U:Settings", "DisplayWelcome", 7), 1u);
  EXPECT_EQ(ProfileGetInt("U:Settings", "FlatToolbar", 7), 0u);
  EXPECT_EQ(ProfileGetInt("U:Settings", "DisplayFinished", 7), 0u);
  EXPECT_EQ(ProfileGetInt("U:Settings", "Language", 7), 1033u);
  EXPECT_TRUE(g_boxes.empty());
  // The toolbar follows the setting at once.
  EXPECT_FALSE(app_->Frame()->ToolBarEx().IsFlat());
  ProfileWriteInt("U:Settings", "FlatToolbar", 1);
  ProfileWriteInt("U:Settings", "DisplayFinished", 1);
  ProfileWriteInt("U:Settings", "DisplayWelcome", 0);
}

TEST_F(AppTest, OptionsLanguageChangeTellsOfTheRestartOnce) {
  ProfileWriteInt("U:Settings", "Language", 1033);
  ASSERT_TRUE(Start());
  g_sheetAnswer = [&](kwf::PropSheet& sheet) {
    return RunSheet(sheet, [&](kwf::PropSheet& s) {
      HWND page = s.Page(0)->Handle();
      HWND list = ::GetDlgItem(page, CConfigGeneral::kLanguage);
      LRESULT count = ::SendMessageA(list, CB_GETCOUNT, 0, 0);
      for (LRESULT i = 0; i < count; ++i)
        if (::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == 1031)
          ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(CConfigGeneral::kLanguage, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
      ::SendMessageA(s.Handle(), PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
      PumpUntil([] { return !g_boxes.empty(); }, 3000);
      EXPECT_EQ(g_boxes.size(), 1u);
    });
  };
  Command(0x8401);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "Language change will take effect the next time Kitwright is started.");
  EXPECT_EQ(ProfileGetInt("U:Settings", "Language", 0), 1031u);
  // The interface keeps its language until the next start.
  EXPECT_EQ(kwf::LoadResString(49), "Options");

  // A language of no library counts as English: OK without a choice keeps it.
  ProfileWriteInt("U:Settings", "Language", 1036);
  g_boxes.clear();
  g_sheetAnswer = [&](kwf::PropSheet& sheet) { return RunSheet(sheet, [](kwf::PropSheet&) {}); };
  Command(0x8401);
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_EQ(ProfileGetInt("U:Settings", "Language", 0), 1036u);
  ProfileWriteInt("U:Settings", "Language", 1033);
}

TEST_F(AppTest, OptionsExtensionsPageListsTheExtensionsUnlessSwitchedOff) {
  ASSERT_TRUE(Start());
  std::vector<LRESULT> languages;
  int pages = 0;
  g_sheetAnswer = [&](kwf::PropSheet& sheet) {
    return RunSheet(sheet, [&](kwf::PropSheet& s) {
      pages = s.PageCount();
      if (pages < 2)
        return;
      ::SendMessageA(s.Handle(), PSM_SETCURSEL, 1, 0);
      HWND page = s.Page(1)->Handle();
      ASSERT_NE(page, nullptr);
      HWND list = ::GetDlgItem(page, CConfigExtensions::kList);
      for (LRESULT i = 0; i < ::SendMessageA(list, LB_GETCOUNT, 0, 0); ++i)
        languages.push_back(::SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
      EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, CConfigExtensions::kAdd)));
      EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, CConfigExtensions::kRemove)));
      // About without a selection only beeps.
      ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(CConfigExtensions::kAbout, BN_CLICKED), 0);
    });
  };
  Command(0x8401);
  EXPECT_EQ(pages, 2);
  std::sort(languages.begin(), languages.end());
  EXPECT_EQ(languages, (std::vector<LRESULT>{1031, 1033}));

  // The per-machine switch, under a key of the test's own: the program's
  // per-machine section stays unwritten.
  const char kTestCompany[] = "SOFTWARE\\Kitwright App Tests";
  ProfileSetRegistryBase("SOFTWARE\\Kitwright App Tests\\Options");
  ProfileWriteInt("Settings", "DisplayExtensionsPage", 0);
  Command(0x8401);
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, kTestCompany);
  SHDeleteKeyA(HKEY_CURRENT_USER, kTestCompany);
  ProfileSetRegistryBase(kProfileKeyPath);
  EXPECT_EQ(pages, 1);
}

TEST_F(AppTest, WithoutInitCommonControlsExNothingIsFlat) {
  ProfileWriteInt("U:Settings", "FlatToolbar", 1);
  ASSERT_TRUE(Start());
  // KERNEL32 stands for a COMCTL32 that lacks InitCommonControlsEx.
  CToolBarEx old("KERNEL32.DLL");
  EXPECT_FALSE(old.CanDrawFlat());
  TBBUTTON button = {0, 0xE100, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0};
  ASSERT_TRUE(old.Create(Frame(), 0x1234, 16, &button, 1, 7));
  old.SetFlat(true);
  EXPECT_FALSE(old.IsFlat());
  EXPECT_EQ(::GetWindowLongA(old.Handle(), GWL_STYLE) & TBSTYLE_FLAT, 0);
  ::DestroyWindow(old.Handle());

  kwf::PropSheet sheet("Options");
  CConfigGeneral general(false);
  sheet.AddPage(&general);
  RunSheet(sheet, [&](kwf::PropSheet&) {
    HWND flat = ::GetDlgItem(general.Handle(), CConfigGeneral::kFlatToolbar);
    EXPECT_FALSE(::IsWindowEnabled(flat));
    EXPECT_EQ(::IsDlgButtonChecked(general.Handle(), CConfigGeneral::kFlatToolbar), BST_UNCHECKED);
  });
  EXPECT_EQ(ProfileGetInt("U:Settings", "FlatToolbar", 7), 0u);
  ProfileWriteInt("U:Settings", "FlatToolbar", 1);
}

// Build Options

TEST_F(AppTest, BuildOptionsChangesTheDiskSize) {
  ASSERT_TRUE(Start());
  CKitwrightProject& project = app_->Project();
  ASSERT_EQ(project.m_dwDiskSize, 1457664u);
  ASSERT_FALSE(project.IsModified());
  std::vector<std::string> texts;
  g_sheetAnswer = [&](kwf::PropSheet& sheet) {
    return RunSheet(sheet, [&](kwf::PropSheet& s) {
      HWND combo = ::GetDlgItem(s.Page(0)->Handle(), CDiskSizePropPage::kCombo);
      for (LRESULT i = 0; i < ::SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
        char text[64] = {};
        ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
      }
      EXPECT_EQ(::SendMessageA(combo, CB_GETCURSEL, 0, 0), 3);
      ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
    });
  };
  Command(0x8503);
  ASSERT_EQ(g_sheets, std::vector<std::string>{"Build Options"});
  EXPECT_EQ(texts, (std::vector<std::string>{"CD-ROM", "2.88 MB (3\xBD\" ED)", "1.68 MB (3\xBD\" DMF)",
                                             "1.44 MB (3\xBD\" HD)", "1.2 MB (5\xBC\" HD)",
                                             "720 kB (3\xBD\" DD)"}));
  EXPECT_EQ(project.m_dwDiskSize, 713031680u);
  EXPECT_TRUE(project.IsModified());
}

TEST_F(AppTest, BuildOptionsCancelledOrUnchangedLeavesTheProject) {
  ASSERT_TRUE(Start());
  CKitwrightProject& project = app_->Project();
  // A capacity of no entry shows the 1.44 MB one; Cancel keeps it.
  project.m_dwDiskSize = 1000000;
  LRESULT shown = -1;
  g_sheetAnswer = [&](kwf::PropSheet& sheet) {
    return RunSheet(sheet, [&](kwf::PropSheet& s) {
      shown = ::SendMessageA(::GetDlgItem(s.Page(0)->Handle(), CDiskSizePropPage::kCombo),
                             CB_GETCURSEL, 0, 0);
    }, PSBTN_CANCEL);
  };
  Command(0x8503);
  EXPECT_EQ(shown, 3);
  EXPECT_EQ(project.m_dwDiskSize, 1000000u);
  EXPECT_FALSE(project.IsModified());
  // OK on the entry already chosen changes nothing.
  project.m_dwDiskSize = 730112;
  g_sheetAnswer = [&](kwf::PropSheet& sheet) { return RunSheet(sheet, [](kwf::PropSheet&) {}); };
  Command(0x8503);
  EXPECT_EQ(project.m_dwDiskSize, 730112u);
  EXPECT_FALSE(project.IsModified());
}

TEST_F(AppTest, BuildWithShiftOpensBuildOptionsAndBuildsNothing) {
  ASSERT_TRUE(Start());
  BYTE keys[256];
  ASSERT_TRUE(::GetKeyboardState(keys));
  keys[VK_SHIFT] = 0x80;
  ASSERT_TRUE(::SetKeyboardState(keys));
  Command(0x8500);
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
  EXPECT_EQ(g_sheets, std::vector<std::string>{"Build Options"});
  EXPECT_EQ(View().GetActiveTab(), 0);
  EXPECT_NE(StatusText(), "Checking dependencies...");
}

// Toolbar

TEST_F(AppTest, FlatToolbarHasItsGripFloatsAndDocksAgain) {
  ProfileWriteInt("U:Settings", "FlatToolbar", 1);
  ASSERT_TRUE(Start());
  CToolBarEx& bar = app_->Frame()->ToolBarEx();
  HWND tb = bar.Handle();
  ASSERT_TRUE(bar.IsFlat());
  RECT window, first;
  ::GetWindowRect(tb, &window);
  ::SendMessageA(tb, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  EXPECT_EQ(first.left, 10) << "room for the grip";
  auto viewTop = [&] {
    RECT v;
    ::GetWindowRect(View().Handle(), &v);
    POINT p = {v.left, v.top};
    ::ScreenToClient(Frame(), &p);
    return p.y;
  };
  const LONG docked = viewTop();
  EXPECT_EQ(docked, window.bottom - window.top);

  ASSERT_TRUE(bar.Float({300, 300}));
  ASSERT_NE(bar.FloatWindow(), nullptr);
  EXPECT_EQ(::GetParent(tb), bar.FloatWindow());
  EXPECT_EQ(viewTop(), 0);
  // Floating, it has no grip.
  ::SendMessageA(tb, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  EXPECT_EQ(first.left, 0);
  // Its buttons still command the frame.
  ::SendMessageA(bar.FloatWindow(), WM_COMMAND, 0x8503, 0);
  EXPECT_EQ(g_sheets.size(), 1u);

  // Closing the floating bar docks it.
  ::SendMessageA(bar.FloatWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(bar.FloatWindow(), nullptr);
  EXPECT_EQ(::GetParent(tb), Frame());
  EXPECT_EQ(viewTop(), docked);
}

TEST_F(AppTest, ToolbarDraggedByItsGripFloatsAndDropsBackOnTheTop) {
  ProfileWriteInt("U:Settings", "FlatToolbar", 1);
  ASSERT_TRUE(Start());
  WaitForSplash();
  CToolBarEx& bar = app_->Frame()->ToolBarEx();
  HWND tb = bar.Handle();
  RECT r;
  ::GetWindowRect(tb, &r);
  const int gripX = 4, gripY = (r.bottom - r.top) / 2;
  auto drag = [&](POINT from, POINT to) {
    ::SetCursorPos(from.x, from.y);
    POINT local = from;
    ::ScreenToClient(tb, &local);
    ::SendMessageA(tb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.x, local.y));
    ::SetCursorPos(to.x, to.y);
    local = to;
    ::ScreenToClient(tb, &local);
    ::SendMessageA(tb, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(local.x, local.y));
    ::SendMessageA(tb, WM_LBUTTONUP, 0, MAKELPARAM(local.x, local.y));
  };
  // A click without a move leaves it docked.
  POINT grip = {r.left + gripX, r.top + gripY};
  drag(grip, grip);
  EXPECT_FALSE(bar.IsFloating());
  // Dragged down into the pages: it floats where it was dropped.
  drag(grip, {grip.x + 150, grip.y + 200});
  ASSERT_TRUE(bar.IsFloating());
  RECT floating;
  ::GetWindowRect(bar.FloatWindow(), &floating);
  EXPECT_EQ(floating.left, r.left + 150);
  EXPECT_EQ(floating.top, r.top + 200);
  // Dragged onto the top of the frame: docked again.
  ::GetWindowRect(tb, &r);
  POINT background = {r.right - 3, r.top + 3};
  RECT frameClient;
  ::GetClientRect(Frame(), &frameClient);
  POINT top = {10, 5};
  ::ClientToScreen(Frame(), &top);
  drag(background, top);
  EXPECT_FALSE(bar.IsFloating());
  EXPECT_EQ(::GetParent(tb), Frame());
}

TEST_F(AppTest, FlatToolbarPaintsEtchedSeparatorsAndGrip) {
  ProfileWriteInt("U:Settings", "FlatToolbar", 1);
  ASSERT_TRUE(Start());
  WaitForSplash();
  HWND tb = app_->Frame()->ToolBar();
  ::RedrawWindow(tb, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
  RECT sep;
  ASSERT_TRUE(::SendMessageA(tb, TB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&sep)));
  int x = (sep.left + sep.right) / 2, y = (sep.top + sep.bottom) / 2;
  HDC dc = ::GetDC(tb);
  EXPECT_EQ(::GetPixel(dc, x, y), ::GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(::GetPixel(dc, x + 1, y), ::GetSysColor(COLOR_BTNHIGHLIGHT));
  ::ReleaseDC(tb, dc);
  // The double grip: highlight on the left of each line, shadow on the right.
  RECT client;
  ::GetClientRect(tb, &client);
  int mid = client.bottom / 2;
  dc = ::GetDC(tb);
  for (int left : {2, 6}) {
    EXPECT_EQ(::GetPixel(dc, left, mid), ::GetSysColor(COLOR_BTNHIGHLIGHT)) << left;
    EXPECT_EQ(::GetPixel(dc, left + 2, mid), ::GetSysColor(COLOR_BTNSHADOW)) << left;
  }
  ::ReleaseDC(tb, dc);
}

TEST_F(AppTest, ToolbarGivesFlyByHelpAndToolTips) {
  ASSERT_TRUE(Start());
  HWND tb = app_->Frame()->ToolBar();
  auto moveTo = [&](int index) {
    RECT r;
    ::SendMessageA(tb, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    ::SendMessageA(tb, WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  };
  moveTo(4);
  EXPECT_EQ(StatusText(), "Builds the setup program of the current project");
  moveTo(3);  // a separator
  EXPECT_EQ(StatusText(), "Ready");
  NMTTDISPINFOA info = {};
  info.hdr.hwndFrom = tb;
  info.hdr.idFrom = 0x8501;
  info.hdr.code = TTN_GETDISPINFOA;
  ::SendMessageA(Frame(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(info.lpszText, nullptr);
  EXPECT_STREQ(info.lpszText, "Test Run");
}

// Help hit tests and what's-this

TEST_F(AppTest, HelpHitTestNamesTheControlUnderThePoint) {
  static std::vector<std::pair<UINT, DWORD_PTR>> calls;
  calls.clear();
  kwf::SetHelpSeam([](HWND, const char*, UINT command, DWORD_PTR data) { calls.push_back({command, data}); });
  ASSERT_TRUE(Start());
  WaitForSplash();
  HWND page = View().GetClient(0)->Handle();
  HWND control = nullptr;
  for (HWND c = ::GetWindow(page, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
    if ((::GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) && ::IsWindowVisible(c)) {
      control = c;
      break;
    }
  ASSERT_NE(control, nullptr);
  RECT r;
  ::GetWindowRect(control, &r);
  POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  POINT inView = centre;
  ::ScreenToClient(View().Handle(), &inView);
  DWORD id = static_cast<DWORD>(::GetDlgCtrlID(control));
  EXPECT_EQ(::SendMessageA(View().Handle(), kwf::kMsgHelpHitTest, 0, MAKELPARAM(inView.x, inView.y)),
            static_cast<LRESULT>(id + 0x50000));
  ::SetWindowContextHelpId(control, 0x1234);
  EXPECT_EQ(::SendMessageA(View().Handle(), kwf::kMsgHelpHitTest, 0, MAKELPARAM(inView.x, inView.y)),
            0x1234);
  ::SetWindowContextHelpId(control, 0);

  // What's This: the next click asks the window under it; help comes as a pop-up.
  ::SetForegroundWindow(Frame());
  ::SetCursorPos(centre.x, centre.y);
  ::PostMessageA(Frame(), WM_LBUTTONDOWN, 0, 0);
  Command(0xE145);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].first, static_cast<UINT>(HELP_CONTEXTPOPUP));
  EXPECT_EQ(calls[0].second, id + 0x50000);
  EXPECT_EQ(StatusText(), "Ready");
  // On the toolbar a button answers with its command.
  HWND tb = app_->Frame()->ToolBar();
  RECT button;
  ASSERT_TRUE(::SendMessageA(tb, TB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&button)));
  POINT onBuild = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
  ::ClientToScreen(tb, &onBuild);
  ::SetCursorPos(onBuild.x, onBuild.y);
  ::PostMessageA(Frame(), WM_LBUTTONDOWN, 0, 0);
  Command(0xE145);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].second, 0x18500u);
  // Escape leaves the mode without help.
  ::PostMessageA(Frame(), WM_KEYDOWN, VK_ESCAPE, 0);
  Command(0xE145);
  EXPECT_EQ(calls.size(), 2u);
  kwf::SetHelpSeam(nullptr);
}

// File menu: recent files and Send

TEST_F(AppTest, EmptyRecentFileListShowsAGreyedPlaceholder) {
  ASSERT_TRUE(Start());
  for (const char* entry : {"File1", "File2", "File3", "File4"})
    ProfileWriteString("U:Recent File List", entry, "");
  ASSERT_TRUE(app_->RecentFiles().empty());
  HMENU file = ::GetSubMenu(::GetMenu(Frame()), 0);
  ::SendMessageA(Frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
  int found = 0;
  for (int i = 0; i < ::GetMenuItemCount(file); ++i) {
    UINT id = ::GetMenuItemID(file, i);
    if (id < 0xE110 || id > 0xE113)
      continue;
    ++found;
    EXPECT_EQ(id, 0xE110u);
    EXPECT_TRUE(::GetMenuState(file, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED);
  }
  EXPECT_EQ(found, 1);
}

TEST_F(AppTest, RecentFileListKeepsTheFourNewestFirst) {
  fs::path dir = fs::temp_directory_path() / "kw_recent";
  fs::remove_all(dir);
  fs::create_directories(dir);
  ASSERT_TRUE(Start());
  std::vector<std::string> paths;
  for (const char* name : {"a.kwr", "b.kwr", "c&d.kwr", "e.kwr", "f.kwr"}) {
    paths.push_back((dir / name).string());
    g_fileNames.assign({paths.back()});
    Command(0xE104);
  }
  EXPECT_EQ(app_->RecentFiles(), (std::vector<std::string>{paths[4], paths[3], paths[2], paths[1]}));
  // Opening one again moves it to the front.
  ASSERT_TRUE(app_->OpenDocumentFile(paths[2]));
  EXPECT_EQ(app_->RecentFiles(), (std::vector<std::string>{paths[2], paths[4], paths[3], paths[1]}));
  HMENU file = ::GetSubMenu(::GetMenu(Frame()), 0);
  ::SendMessageA(Frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
  std::vector<std::string> items;
  for (int i = 0; i < ::GetMenuItemCount(file); ++i) {
    UINT id = ::GetMenuItemID(file, i);
    if (id >= 0xE110 && id <= 0xE113)
      items.push_back(MenuText(file, i));
  }
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0], "&1 " + std::string(dir.string()) + "\\c&&d.kwr");
  EXPECT_EQ(items[1], "&2 " + paths[4]);
  // The second entry opens that project.
  Command(0xE111);
  EXPECT_EQ(app_->Project().GetPathName(), paths[4]);
  fs::remove_all(dir);
}

TEST_F(AppTest, SendIsOfferedOnlyWithMail) {
  ASSERT_TRUE(Start());
  auto fileMenuIds = [&] {
    HMENU file = ::GetSubMenu(::GetMenu(Frame()), 0);
    ::SendMessageA(Frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    std::vector<UINT> ids;
    for (int i = 0; i < ::GetMenuItemCount(file); ++i)
      ids.push_back(::GetMenuItemID(file, i));
    return ids;
  };
  ::WriteProfileStringA("Mail", "MAPI", "0");
  std::vector<UINT> without = fileMenuIds();
  EXPECT_EQ(std::count(without.begin(), without.end(), 0xE10Cu), 0);
  // No two separators meet where it was.
  for (size_t i = 1; i < without.size(); ++i)
    EXPECT_FALSE(without[i] == 0 && without[i - 1] == 0) << i;
  // A new menu with mail keeps it, enabled.
  ::WriteProfileStringA("Mail", "MAPI", "1");
  HMENU fresh = theLanguageArray.LoadMenu(MAKEINTRESOURCEA(0x6FFF));
  HMENU old = ::GetMenu(Frame());
  ::SetMenu(Frame(), fresh);
  ::DestroyMenu(old);
  std::vector<UINT> with = fileMenuIds();
  ::WriteProfileStringA("Mail", "MAPI", nullptr);
  ASSERT_EQ(std::count(with.begin(), with.end(), 0xE10Cu), 1);
  HMENU file = ::GetSubMenu(::GetMenu(Frame()), 0);
  EXPECT_EQ(::GetMenuState(file, 0xE10C, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

// A page that records what the view tells it.
class RecordingClient : public CTabClient {
 public:
  using CTabClient::CTabClient;
  void UpdateFromProject(CKitwrightProject* project, uint32_t hint) override {
    hints.push_back(hint);
    lastProject = project;
  }
  void ActivateClient(bool activate) override {
    activations.push_back(activate);
    CTabClient::ActivateClient(activate);
  }
  std::vector<uint32_t> hints;
  std::vector<bool> activations;
  CKitwrightProject* lastProject = nullptr;
};

TEST_F(AppTest, ATenthPageIsNumberedZeroAndHearsEveryUpdate) {
  ASSERT_TRUE(Start());
  RECT before;
  ::GetWindowRect(Frame(), &before);
  // A smaller page than the others: the window keeps its size.
  RecordingClient extra(71, "Ten & more");
  ASSERT_TRUE(View().AddClient(&extra));
  RECT after;
  ::GetWindowRect(Frame(), &after);
  EXPECT_TRUE(::EqualRect(&before, &after));
  EXPECT_EQ(extra.hints, std::vector<uint32_t>{0});
  EXPECT_EQ(extra.lastProject, &app_->Project());
  EXPECT_FALSE(::IsWindowVisible(extra.Handle()));

  HMENU tabs = OpenTabsMenu();
  ASSERT_EQ(::GetMenuItemCount(tabs), 10);
  EXPECT_EQ(MenuText(tabs, 9), "&0 Ten && more");

  Command(0x9009);
  EXPECT_EQ(View().GetActiveTab(), 9);
  EXPECT_EQ(extra.activations, std::vector<bool>{true});
  EXPECT_TRUE(::IsWindowVisible(extra.Handle()));
  // The active tab again: no activation.
  EXPECT_TRUE(View().SetActiveTab(9));
  EXPECT_EQ(extra.activations, std::vector<bool>{true});
  EXPECT_FALSE(View().SetActiveTab(10));
  Command(0x9000);
  EXPECT_EQ(extra.activations, (std::vector<bool>{true, false}));

  // Build Options tells every page with bit 31 set; a new project with 0.
  extra.hints.clear();
  g_sheetAnswer = [&](kwf::PropSheet& sheet) {
    return RunSheet(sheet, [&](kwf::PropSheet& s) {
      ::SendMessageA(::GetDlgItem(s.Page(0)->Handle(), CDiskSizePropPage::kCombo), CB_SETCURSEL, 5, 0);
    });
  };
  Command(0x8503);
  EXPECT_EQ(extra.hints, std::vector<uint32_t>{0x80000000u});
  g_answers.assign({IDNO});
  Command(0xE100);
  EXPECT_EQ(extra.hints, (std::vector<uint32_t>{0x80000000u, 0}));
  // The page leaves with the view's end.
  g_answers.assign({IDNO});
  Close();
  EXPECT_EQ(extra.Handle(), nullptr);
}

TEST_F(AppTest, StatusBarShowsCapsAndNumLockOnIdle) {
  ASSERT_TRUE(Start());
  HWND status = app_->Frame()->StatusBar();
  auto pane = [&](int i) {
    char text[32] = {};
    ::SendMessageA(status, SB_GETTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    return std::string(text);
  };
  BYTE keys[256];
  ASSERT_TRUE(::GetKeyboardState(keys));
  const BYTE caps = keys[VK_CAPITAL], num = keys[VK_NUMLOCK];
  for (bool on : {true, false}) {
    keys[VK_CAPITAL] = on ? 1 : 0;
    keys[VK_NUMLOCK] = on ? 0 : 1;
    ASSERT_TRUE(::SetKeyboardState(keys));
    ::PostMessageA(Frame(), WM_NULL, 0, 0);
    app_->PumpOnce(0);
    EXPECT_EQ(pane(1), on ? "CAP" : "") << on;
    EXPECT_EQ(pane(2), on ? "" : "NUM") << on;
  }
  keys[VK_CAPITAL] = caps;
  keys[VK_NUMLOCK] = num;
  ::SetKeyboardState(keys);
}

TEST(TabTemplate, CaptionRulesAndStyleMask) {
  // style, exstyle, count, x, y, cx, cy, then menu, class, title as words.
  auto header = [](std::vector<uint16_t> tail) {
    std::vector<unsigned char> bytes(18, 0);
    for (uint16_t w : tail) {
      bytes.push_back(static_cast<unsigned char>(w & 0xFF));
      bytes.push_back(static_cast<unsigned char>(w >> 8));
    }
    return bytes;
  };
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
    const char* caption;
  } cases[] = {
      {"plain", header({0, 0, 'P', 'a', 'g', 'e', 0}), "Page"},
      {"class by ordinal", header({0, 0xFFFF, 0x82, 'A', 0}), "A"},
      {"class by name", header({0, 'C', 'l', 0, 'T', 0}), "T"},
      {"a menu", header({1, 0, 'X', 0}), ""},
      {"no title", header({0, 0, 0}), ""},
      {"title runs off the end", header({0, 0, 'a', 'b'}), ""},
      {"class runs off the end", header({0, 'C', 'l'}), ""},
      {"ordinal cut", header({0, 0xFFFF}), ""},
      {"header only", std::vector<unsigned char>(18, 0), ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DialogTemplateCaption(c.bytes.data(), c.bytes.size()), c.caption) << c.name;

  EXPECT_EQ(PageStyle(WS_CHILD | WS_VISIBLE | WS_BORDER | DS_MODALFRAME | DS_SETFONT),
            static_cast<DWORD>(WS_CHILD | DS_SETFONT | DS_CONTROL));
  EXPECT_EQ(PageStyle(WS_POPUP | WS_CAPTION), static_cast<DWORD>((WS_POPUP | WS_CAPTION) & ~WS_BORDER) | DS_CONTROL);
}

TEST(ShadedCaption, BandsRunFromBlackToTheCaptionColour) {
  // 120 pixels: five sixths is 100, below 128 the bands are 1 pixel wide.
  std::vector<CaptionBand> narrow = ShadedCaptionBands(120, RGB(200, 100, 0));
  ASSERT_EQ(narrow.size(), 101u);
  EXPECT_EQ(narrow.front().x, 0);
  EXPECT_EQ(narrow.front().colour, RGB(0, 0, 0));
  EXPECT_EQ(narrow[1].x, 1);
  EXPECT_EQ(narrow[1].colour, RGB(4, 2, 0));  // d = 99: 200 - 9801 * 200 / 10000
  EXPECT_EQ(narrow[50].x, 50);
  EXPECT_EQ(narrow[50].colour, RGB(150, 75, 0));
  EXPECT_EQ(narrow.back().x, 100);
  EXPECT_EQ(narrow.back().colour, RGB(200, 100, 0));

  // 1536 pixels: five sixths is 1280, bands of 20, the last one ends at 20.
  std::vector<CaptionBand> wide = ShadedCaptionBands(1536, RGB(200, 100, 40));
  ASSERT_EQ(wide.size(), 65u);
  EXPECT_EQ(wide[1].x, 20);
  for (size_t i = 1; i < wide.size(); ++i)
    EXPECT_EQ(wide[i].x - wide[i - 1].x, 20) << i;
  auto at = [&](int x) {
    for (const CaptionBand& b : wide)
      if (b.x == x)
        return b.colour;
    return static_cast<COLORREF>(CLR_INVALID);
  };
  EXPECT_EQ(at(640), RGB(150, 75, 30));  // d = 640: a quarter off

  // A colour without channels is black all along.
  for (const CaptionBand& b : ShadedCaptionBands(600, RGB(0, 0, 0)))
    EXPECT_EQ(b.colour, RGB(0, 0, 0));
  EXPECT_TRUE(ShadedCaptionBands(0, RGB(1, 2, 3)).empty());

  EXPECT_EQ(ColourLightness(RGB(255, 255, 255)), 240);
  EXPECT_EQ(ColourLightness(RGB(0, 0, 128)), 60);
  EXPECT_EQ(ColourLightness(RGB(0, 0, 0)), 0);
}

TEST(CommandLine, FileNameOrNew) {
  struct Case {
    const char* line;
    kwf::CommandLineInfo::ShellCommand command;
    const char* file;
  } cases[] = {
      {"", kwf::CommandLineInfo::kFileNew, ""},
      {"   ", kwf::CommandLineInfo::kFileNew, ""},
      {"a.kwr", kwf::CommandLineInfo::kFileOpen, "a.kwr"},
      {"\"C:\\My Projects\\a b.kwr\"", kwf::CommandLineInfo::kFileOpen, "C:\\My Projects\\a b.kwr"},
      {"/x a.kwr b.kwr", kwf::CommandLineInfo::kFileOpen, "a.kwr"},
      {"-switch", kwf::CommandLineInfo::kFileNew, ""},
      {"/? a.kwr", kwf::CommandLineInfo::kFileOpen, "a.kwr"},
      {"-H", kwf::CommandLineInfo::kFileNew, ""},
      {"/help", kwf::CommandLineInfo::kFileNew, ""},
  };
  for (const Case& c : cases) {
    kwf::CommandLineInfo info = kwf::ParseCommandLine(c.line);
    EXPECT_EQ(info.shellCommand, c.command) << c.line;
    EXPECT_EQ(info.fileName, c.file) << c.line;
    EXPECT_TRUE(info.showSplash);
    std::string line = c.line;
    EXPECT_EQ(info.showUsage, line.rfind("/?", 0) == 0 || line == "-H") << c.line;
  }
}

TEST(About, VersionComesFromTheVersionResource) {
  // This test program carries the program's own version resource.
  EXPECT_EQ(ModuleProductVersion(nullptr), "97b");
}

}  // namespace

// The Files tab

namespace {

class FilesTest : public AppTest {
 protected:
  bool Open() {
    if (!Start())
      return false;
    View().SetActiveTab(4);
    return Page() != nullptr;
  }
  CFilesView* Page() { return dynamic_cast<CFilesView*>(View().GetClient(4)); }
  CKitwrightProject& Project() { return app_->Project(); }
  // The labels of a tree, depth first, children indented by two spaces.
  static void Walk(const kwf::TreeView& tree, HTREEITEM from, int depth, std::vector<std::string>& out) {
    for (HTREEITEM i = from; i; i = tree.GetNextSibling(i)) {
      out.push_back(std::string(2 * depth, ' ') + tree.GetItemText(i));
      Walk(tree, tree.GetChild(i), depth + 1, out);
    }
  }
  std::vector<std::string> Labels(const kwf::TreeView& tree) {
    std::vector<std::string> out;
    Walk(tree, tree.GetRoot(), 0, out);
    return out;
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> out;
    for (int i = 0; i < Page()->Files().GetItemCount(); ++i)
      out.push_back(Page()->Files().GetItemText(i, 0) + " | " + Page()->Files().GetItemText(i, 1));
    return out;
  }
  HTREEITEM Find(const kwf::TreeView& tree, HTREEITEM from, const std::string& label) {
    for (HTREEITEM i = from; i; i = tree.GetNextSibling(i)) {
      if (tree.GetItemText(i) == label)
        return i;
      if (HTREEITEM c = Find(tree, tree.GetChild(i), label))
        return c;
    }
    return nullptr;
  }
  void Refresh() { Page()->UpdateFromProject(&Project(), 0); }
  // A shell drop as the shell sends it: a DROPFILES block to the control.
  void ShellDrop(HWND control, const std::vector<std::string>& paths, POINT at = {0, 0}) {
    ::SendMessageA(control, WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock(paths, at)), 0);
  }
  static HGLOBAL DropBlock(const std::vector<std::string>& paths, POINT at = {0, 0}) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths)
      size += p.size() + 1;
    HGLOBAL block = ::GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = at;
    char* text = reinterpret_cast<char*>(drop + 1);
    for (const std::string& p : paths) {
      std::memcpy(text, p.c_str(), p.size() + 1);
      text += p.size() + 1;
    }
    ::GlobalUnlock(block);
    return block;
  }
  // Drags a package of the package tree onto a setup-types item by the
  // view's mouse messages.
  void Drag(HTREEITEM package, HTREEITEM target) {
    CFilesView* page = Page();
    NMTREEVIEWA info = {};
    info.hdr.hwndFrom = page->Packages().Handle();
    info.hdr.idFrom = CFilesView::kPackageTree;
    info.hdr.code = TVN_BEGINDRAGA;
    info.itemNew.hItem = package;
    info.itemNew.lParam = page->Packages().GetItemData(package);
    ::SendMessageA(page->Handle(), WM_NOTIFY, CFilesView::kPackageTree, reinterpret_cast<LPARAM>(&info));
    RECT r;
    ASSERT_TRUE(page->Types().GetItemRect(target, &r, true));
    POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::MapWindowPoints(page->Types().Handle(), page->Handle(), &at, 1);
    ::SendMessageA(page->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    ::SendMessageA(page->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  }
};

TEST_F(FilesTest, TheTreesFollowTheProjectAndItsSetupTypes) {
  ASSERT_TRUE(Open());
  // A new project: its two packages (the billboard one hidden) and, with the
  // default mask, "Complete" holding Main.
  auto* billboards = new CFileFolder(":Billboard", 0x1300 | CFileFolder::kHidden, Project().TakeNextPackageId());
  Project().m_pPackages->AppendPackage(billboards);
  Refresh();
  EXPECT_EQ(Labels(Page()->Packages()), (std::vector<std::string>{"Main", "AutoExpand"}));
  EXPECT_EQ(Labels(Page()->Types()), (std::vector<std::string>{"Complete", "  Main"}));
  struct Case { uint32_t mask; std::vector<std::string> types; } cases[] = {
      // Main belongs to every type (flags 0x20FF).
      {0x80, {"Custom", "  Install Always", "    Main", "  Program Files", "  Help Files", "  Sample Files"}},
      {0xC0, {"Typical", "  Main", "Compact", "  Main", "Custom", "  Install Always", "    Main", "  Program Files",
              "  Help Files", "  Sample Files"}},
  };
  for (const Case& c : cases) {
    Project().ChangeFlags(c.mask, 0xC0 & ~c.mask);
    Refresh();
    EXPECT_EQ(Labels(Page()->Types()), c.types) << c.mask;
  }
}

TEST_F(FilesTest, PackagesAreMadeRenamedAndDeletedButProtectedOnesStay) {
  ASSERT_TRUE(Open());
  Project().SetModifiedFlag(false);
  const uint32_t next = Project().m_dwNextPackageId;
  ASSERT_TRUE(Page()->RunViewCommand(CFilesView::kCmdNewPackage));
  EXPECT_NE(Page()->Packages().GetEditControl(), nullptr);  // a label edit runs
  CFileFolder* added = Page()->SelectedPackage();
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->m_strName, "New Package");
  EXPECT_EQ(added->m_dwId, next);
  EXPECT_EQ(added->m_dwFlags, 0x9Eu);
  EXPECT_TRUE(Project().IsModified());
  // Its flags make it a member of Complete, which shows it at once.
  EXPECT_EQ(Labels(Page()->Types()), (std::vector<std::string>{"Complete", "  Main", "  New Package"}));
  // The label edit ends with Enter: the package takes the name.
  HWND edit = Page()->Packages().GetEditControl();
  ::SetWindowTextA(edit, "Docs");
  ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(added->m_strName, "Docs");
  EXPECT_EQ(Labels(Page()->Types()), (std::vector<std::string>{"Complete", "  Main", "  Docs"}));

  // Main is protected: no rename, no delete, by command or key.
  HTREEITEM main = Find(Page()->Packages(), Page()->Packages().GetRoot(), "Main");
  Page()->Packages().Select(main);
  EXPECT_FALSE(Page()->CommandEnabled(CFilesView::kCmdDeletePackage));
  Page()->RunViewCommand(CFilesView::kCmdDeletePackage);
  EXPECT_NE(Find(Page()->Packages(), Page()->Packages().GetRoot(), "Main"), nullptr);
  EXPECT_EQ(Page()->Packages().EditLabel(main), nullptr);

  // Docs, a member of Complete and of an option, goes from every node.
  added->ChangeFlags(0, CFileFolder::kTypical);
  Project().m_pOptions->At(0)->AddPackageId(added->m_dwId);
  Project().ChangeFlags(0xC0, 0);
  Refresh();
  std::vector<std::string> before = Labels(Page()->Types());
  ASSERT_EQ(std::count(before.begin(), before.end(), "  Docs"), 1) << ::testing::PrintToString(before);
  ASSERT_EQ(std::count(before.begin(), before.end(), "    Docs"), 1) << ::testing::PrintToString(before);
  Page()->Packages().Select(Find(Page()->Packages(), Page()->Packages().GetRoot(), "Docs"));
  ASSERT_TRUE(Page()->RunViewCommand(CFilesView::kCmdDeletePackage));
  std::vector<std::string> types = Labels(Page()->Types());
  EXPECT_EQ(std::count_if(types.begin(), types.end(), [](const std::string& s) { return s.find("Docs") != std::string::npos; }), 0);
  EXPECT_EQ(Labels(Page()->Packages()), (std::vector<std::string>{"Main", "AutoExpand"}));
}

// The pop-ups as the user meets them: the page's rules hold through the
// system's menu initialisation, which greys every command nobody answers.
TEST_F(FilesTest, ContextMenusOfferTheCommandsByTheirRules) {
  ASSERT_TRUE(Open());
  static std::vector<std::pair<UINT, bool>> offered;
  struct Walk {
    static void Items(HMENU menu) {
      for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
        UINT id = ::GetMenuItemID(menu, i);
        if (HMENU sub = ::GetSubMenu(menu, i))
          Items(sub);
        else if (id != 0 && id != static_cast<UINT>(-1))
          offered.emplace_back(id, !(::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)));
      }
    }
  };
  kwf::SetContextMenuSeam([](HMENU popup) -> UINT {
    offered.clear();
    Walk::Items(popup);
    return 0;
  });
  auto menuOf = [&](HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::SendMessageA(Page()->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(r.left + 4, r.top + 4));
    return offered;
  };
  using Offer = std::vector<std::pair<UINT, bool>>;
  Page()->Packages().Select(Find(Page()->Packages(), Page()->Packages().GetRoot(), "Main"));
  Offer menu = menuOf(Page()->Packages().Handle());
  kwf::SetContextMenuSeam(nullptr);
  std::sort(menu.begin(), menu.end());
  EXPECT_EQ(menu, (Offer{{CFilesView::kCmdNewPackage, true}, {CFilesView::kCmdNewFile, true},
                         {CFilesView::kCmdDeletePackage, false}, {CFilesView::kCmdRenamePackage, false},
                         {CFilesView::kCmdPackageProperties, true}}));
}

TEST_F(FilesTest, DraggingAPackageOntoSetupTypesAddsItOnce) {
  ASSERT_TRUE(Open());
  Project().ChangeFlags(0xC0, 0);
  auto* docs = new CFileFolder("Docs", 0x0E, Project().TakeNextPackageId());
  Project().m_pPackages->AppendPackage(docs);
  Refresh();
  TabCtrl_SetCurSel(::GetDlgItem(Page()->Handle(), CFilesView::kTabs), 1);
  NMHDR change = {::GetDlgItem(Page()->Handle(), CFilesView::kTabs), CFilesView::kTabs, static_cast<UINT>(TCN_SELCHANGE)};
  ::SendMessageA(Page()->Handle(), WM_NOTIFY, CFilesView::kTabs, reinterpret_cast<LPARAM>(&change));
  ASSERT_TRUE(::IsWindowVisible(Page()->Types().Handle()));
  HTREEITEM docsItem = Find(Page()->Packages(), Page()->Packages().GetRoot(), "Docs");
  // The options show under an expanded Custom node, as the user opens it.
  Page()->Types().Expand(Find(Page()->Types(), Page()->Types().GetRoot(), "Custom"));
  for (int round = 0; round < 2; ++round) {
    Drag(docsItem, Find(Page()->Types(), Page()->Types().GetRoot(), "Compact"));
    Drag(docsItem, Find(Page()->Types(), Page()->Types().GetRoot(), "Help Files"));
  }
  EXPECT_TRUE(docs->m_dwFlags & CFileFolder::kCompact);
  EXPECT_EQ(Project().m_pOptions->At(1)->m_packageIds, std::vector<uint32_t>{docs->m_dwId});
  std::vector<std::string> types = Labels(Page()->Types());
  EXPECT_EQ(std::count(types.begin(), types.end(), "  Docs"), 1) << ::testing::PrintToString(types);
  EXPECT_EQ(std::count(types.begin(), types.end(), "    Docs"), 1) << ::testing::PrintToString(types);
  // A protected package never starts a drag.
  Drag(Find(Page()->Packages(), Page()->Packages().GetRoot(), "AutoExpand"),
       Find(Page()->Types(), Page()->Types().GetRoot(), "Compact"));
  EXPECT_FALSE(Project().m_pPackages->m_pNext->m_dwFlags & CFileFolder::kCompact);
}

TEST_F(FilesTest, ShellDropsAddFilesAndFolderTreesThatSurviveSaveAndOpen) {
  kwtest::TempDir dir;
  const std::string app = dir.file("app");
  fs::create_directories(fs::path(app) / "sub");
  kwtest::WriteFile(app + "\\a.txt", std::string("a"));
  kwtest::WriteFile(app + "\\sub\\b.txt", std::string("b"));
  kwtest::WriteFile(app + "\\.hidden", std::string("h"));
  kwtest::WriteFile(dir.file("one.dll"), std::string("1"));
  ASSERT_TRUE(Open());
  Project().SetModifiedFlag(false);
  ShellDrop(Page()->Files().Handle(), {app, dir.file("one.dll")});
  EXPECT_TRUE(Project().IsModified());
  // Many rows go in unsorted and are sorted once: the list is in order and sorts again.
  std::vector<std::string> rows = Rows();
  EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end())) << ::testing::PrintToString(rows);
  EXPECT_TRUE(::GetWindowLongPtrA(Page()->Files().Handle(), GWL_STYLE) & LVS_SORTASCENDING);
  EXPECT_EQ(rows, (std::vector<std::string>{"a.txt | %INSTALLDIR%\\app", "b.txt | %INSTALLDIR%\\app\\sub",
                                            "one.dll | %INSTALLDIR%"}));
  // Dropped on a package of the tree: that package takes them.
  HTREEITEM autoExpand = Find(Page()->Packages(), Page()->Packages().GetRoot(), "AutoExpand");
  RECT r;
  ASSERT_TRUE(Page()->Packages().GetItemRect(autoExpand, &r, true));
  ShellDrop(Page()->Packages().Handle(), {dir.file("one.dll")}, {r.left + 2, (r.top + r.bottom) / 2});
  EXPECT_EQ(Page()->SelectedPackage(), Project().m_pPackages->m_pNext);
  EXPECT_EQ(Rows(), std::vector<std::string>{"one.dll | %INSTALLDIR%"});

  // Delete the selected rows: exactly those go.
  Page()->Packages().Select(Page()->Packages().GetRoot());
  ASSERT_EQ(Page()->Files().GetItemCount(), 3);
  Page()->Files().SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Page()->Files().SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_TRUE(Page()->RunViewCommand(CFilesView::kCmdDeleteFiles));
  EXPECT_EQ(Page()->Files().GetItemCount(), 1);
  EXPECT_EQ(Project().m_pPackages->FileCount(), 1u);

  // Saved and opened again, the trees are the same.
  std::vector<std::string> packages = Labels(Page()->Packages()), kept = Rows();
  const std::string path = dir.file("files.kwr");
  g_fileNames.assign({path});
  Command(ID_FILE_SAVE_AS);
  ASSERT_TRUE(app_->OpenDocumentFile(path));
  EXPECT_EQ(Labels(Page()->Packages()), packages);
  EXPECT_EQ(Rows(), kept);
}

// What a file manager that drags by OLE hands over: files as CF_HDROP.
class FilesData : public IDataObject {
 public:
  explicit FilesData(HGLOBAL block) : block_(block) {}
  ~FilesData() { ::GlobalFree(block_); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK)
      return DV_E_FORMATETC;
    SIZE_T size = ::GlobalSize(block_);
    HGLOBAL copy = ::GlobalAlloc(GHND, size);
    std::memcpy(::GlobalLock(copy), ::GlobalLock(block_), size);
    ::GlobalUnlock(copy);
    ::GlobalUnlock(block_);
    *medium = {};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  HGLOBAL block_;
};

TEST_F(FilesTest, OleDropsOfFilesReachTheListAndThePackageUnderThePointer) {
  kwtest::TempDir dir;
  kwtest::WriteFile(dir.file("a.txt"), std::string("a"));
  kwtest::WriteFile(dir.file("b.txt"), std::string("b"));
  ASSERT_TRUE(Open());
  IDropTarget* list = CFilesView::ShellDropTargetOf(Page()->Files().Handle());
  IDropTarget* tree = CFilesView::ShellDropTargetOf(Page()->Packages().Handle());
  ASSERT_NE(list, nullptr);
  ASSERT_NE(tree, nullptr);
  FilesData files(DropBlock({dir.file("a.txt")}));
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  POINTL at = {0, 0};
  ASSERT_EQ(list->DragEnter(&files, MK_LBUTTON, at, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_EQ(list->Drop(&files, 0, at, &effect), S_OK);
  EXPECT_EQ(Rows(), std::vector<std::string>{"a.txt | %INSTALLDIR%"});
  EXPECT_TRUE(Project().IsModified());

  // On the tree: the package under the pointer (screen coordinates) takes them.
  HTREEITEM autoExpand = Find(Page()->Packages(), Page()->Packages().GetRoot(), "AutoExpand");
  RECT r;
  ASSERT_TRUE(Page()->Packages().GetItemRect(autoExpand, &r, true));
  POINT p = {r.left + 2, (r.top + r.bottom) / 2};
  ::ClientToScreen(Page()->Packages().Handle(), &p);
  FilesData other(DropBlock({dir.file("b.txt")}));
  effect = DROPEFFECT_COPY;
  ASSERT_EQ(tree->DragEnter(&other, MK_LBUTTON, {p.x, p.y}, &effect), S_OK);
  ASSERT_EQ(tree->Drop(&other, 0, {p.x, p.y}, &effect), S_OK);
  EXPECT_EQ(Page()->SelectedPackage(), Project().m_pPackages->m_pNext);
  EXPECT_EQ(Rows(), std::vector<std::string>{"b.txt | %INSTALLDIR%"});
}

TEST_F(FilesTest, PropertiesOfSeveralFilesChangeOnlyTheirDestinations) {
  ASSERT_TRUE(Open());
  CFileFolder* main = Project().m_pPackages;
  main->AddFile("C:\\src\\a.exe", "%INSTALLDIR%");
  main->AddFile("C:\\src\\b.hlp", "%INSTALLDIR%");
  main->AddFile("C:\\src\\c.txt", "%WINDIR%")->ChangeFlags(0, CFileItem::kShared);
  Refresh();
  for (int i = 0; i < 3; ++i)
    Page()->Files().SetItemState(i, LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0), LVIS_SELECTED | LVIS_FOCUSED);
  // The sheet, run as the user would, sets a destination for all of them.
  g_sheetAnswer = [&](kwf::PropSheet& sheet) {
    HWND h = sheet.CreateModeless(Frame());
    HWND page = PropSheet_GetCurrentPageHwnd(h);
    EXPECT_EQ(WindowText(::GetDlgItem(page, 5378)), "");  // the destinations differ
    ::SetWindowTextA(::GetDlgItem(page, 5378), "%WINSYSDIR%");
    ::SendMessageA(h, PSM_PRESSBUTTON, PSBTN_OK, 0);
    PumpUntil([&] { return sheet.Finished(); }, 5000);
    sheet.DestroyModeless();
    return INT_PTR(IDOK);
  };
  ASSERT_TRUE(Page()->RunViewCommand(CFilesView::kCmdFileProperties));
  ASSERT_EQ(g_sheets.size(), 1u);
  EXPECT_EQ(g_sheets[0], "Multiple files Properties");
  std::vector<std::string> sources;
  for (CFileItem* f = main->m_pFiles; f; f = f->m_pNext) {
    EXPECT_EQ(f->m_strDestination, "%WINSYSDIR%") << f->m_strSource;
    sources.push_back(f->m_strSource);
  }
  EXPECT_EQ(sources, (std::vector<std::string>{"C:\\src\\a.exe", "C:\\src\\b.hlp", "C:\\src\\c.txt"}));
  EXPECT_TRUE(main->m_pFiles->m_pNext->m_pNext->m_dwFlags & CFileItem::kShared);
  EXPECT_FALSE(main->m_pFiles->m_dwFlags & CFileItem::kShared);
}

}  // namespace
