// The General, Requirements and Visual Design tabs driven through their
// controls in the running program: what each control writes into the
// project, what a full update shows, and what comes back after Save and
// Open. Message boxes, file names and colours are answered through seams.
#include "app.h"
#include "errors.h"
#include "extension.h"
#include "generalview.h"
#include "profile.h"
#include "requirementsview.h"
#include "resids.h"
#include "reslang.h"
#include "tabview.h"
#include "testutil.h"
#include "win/wintest.h"
#include "visualdesignview.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

using General = CGeneralView;
using Requirements = CRequirementsView;
using Visual = CVisualDesignView;

// The tabs, in the order of the view.
enum Tab : int { kGeneralTab = 0, kVisualTab = 1, kRequirementsTab = 2 };

std::vector<std::string> g_boxes;
std::deque<int> g_answers;             // of the next message boxes; IDCANCEL when none
std::deque<std::string> g_fileNames;   // none: Cancel
std::deque<COLORREF> g_colors;         // the colour dialog's answers; none: Cancel
std::vector<COLORREF> g_colorsOffered;  // the colour each dialog opened with

int BoxSeam(HWND, const char* text, const char*, UINT) {
  g_boxes.push_back(text ? text : "");
  if (g_answers.empty())
    return IDCANCEL;
  int answer = g_answers.front();
  g_answers.pop_front();
  return answer;
}
int ErrorSeam(const char* text, const char* caption, UINT style) {
  return BoxSeam(nullptr, text, caption, style);
}
INT_PTR ModalSeam(kwf::Dialog&) { return IDCANCEL; }
bool FileSeam(bool, std::string* path) {
  if (g_fileNames.empty())
    return false;
  *path = g_fileNames.front();
  g_fileNames.pop_front();
  return true;
}
bool ColorSeam(HWND, COLORREF* color) {
  g_colorsOffered.push_back(*color);
  if (g_colors.empty())
    return false;
  *color = g_colors.front();
  g_colors.pop_front();
  return true;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

std::string ClassOf(HWND hwnd) {
  char name[32] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::string TextOf(HWND hwnd) {
  char text[512] = {};
  ::GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// What a control shows: an edit its text, a button its check, a list the
// text of its selection ("" with none).
std::string Shown(HWND control) {
  std::string kind = ClassOf(control);
  if (lstrcmpiA(kind.c_str(), "Button") == 0)
    return ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "clear";
  if (lstrcmpiA(kind.c_str(), "ComboBox") == 0) {
    LRESULT at = ::SendMessageA(control, CB_GETCURSEL, 0, 0);
    if (at < 0)
      return "";
    char text[256] = {};
    ::SendMessageA(control, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
    return text;
  }
  return TextOf(control);
}

// Types as the keyboard would: the selection first, so that the first key
// replaces the old text; an empty text is a Backspace over all of it.
void Type(HWND edit, const std::string& text) {
  ::SendMessageA(edit, EM_SETSEL, 0, -1);
  if (text.empty())
    ::SendMessageA(edit, WM_CHAR, VK_BACK, 1);
  for (char c : text)
    ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// Picks an entry as the user does in the list: selection, then the notice.
void Choose(HWND combo, int index) {
  ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SendMessageA(::GetParent(combo), WM_COMMAND,
                 MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

int IndexOfData(HWND combo, uint32_t data) {
  for (LRESULT i = 0, n = ::SendMessageA(combo, CB_GETCOUNT, 0, 0); i < n; ++i)
    if (static_cast<uint32_t>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == data)
      return static_cast<int>(i);
  return -1;
}

uint32_t SelectedData(HWND combo) {
  LRESULT at = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  return static_cast<uint32_t>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

// One change through a control and the field it must reach.
enum class Act { kClick, kChoose, kChooseData, kType, kPickColor };
struct FieldCase {
  Tab tab;
  int id;
  Act act;
  uint32_t value;  // the entry (kChoose), its item data (kChooseData), the colour (kPickColor)
  const char* text;  // kType
  std::string (*field)(const CKitwrightProject&);
  const char* expected;
  const char* reopened = nullptr;  // what the control shows after Open, when not what it showed
};

const FieldCase kGeneralCases[] = {
    {kGeneralTab, General::kProductName, Act::kType, 0, "Widget Pro",
     [](const CKitwrightProject& p) { return p.m_strProductName.str(); }, "Widget Pro"},
    {kGeneralTab, General::kProductVersion, Act::kType, 0, "2.5b",
     [](const CKitwrightProject& p) { return p.m_strProductVersion.str(); }, "2.5b"},
    {kGeneralTab, General::kCompanyName, Act::kType, 0, "Acme & Co",
     [](const CKitwrightProject& p) { return p.m_strCompanyName.str(); }, "Acme & Co"},
    {kGeneralTab, General::kLanguage, Act::kChooseData, 1031, nullptr,
     [](const CKitwrightProject& p) { return std::to_string(p.m_wSetupLanguage); }, "1031"},
    {kGeneralTab, General::kPlatform, Act::kChoose, 1, nullptr,
     [](const CKitwrightProject& p) { return std::to_string(p.m_wOperatingSystem); }, "1"},
};

std::string Systems(const CKitwrightProject& p) { return Hex(p.m_wRequiredSystems); }
std::string NTVersion(const CKitwrightProject& p) { return Hex(p.m_wMinNTVersion); }
std::string Win95Version(const CKitwrightProject& p) { return Hex(p.m_wMin95Version); }
std::string Win32sVersion(const CKitwrightProject& p) { return Hex(p.m_wMinWin32sVersion); }

const FieldCase kRequirementsCases[] = {
    {kRequirementsTab, Requirements::kWinNT, Act::kClick, 0, nullptr, Systems, "0x0004"},
    {kRequirementsTab, Requirements::kWin32s, Act::kClick, 0, nullptr, Systems, "0x000C"},
    {kRequirementsTab, Requirements::kWin95, Act::kClick, 0, nullptr, Systems, "0x0008"},
    {kRequirementsTab, Requirements::kNTMajor, Act::kType, 0, "4", NTVersion, "0x0433"},
    {kRequirementsTab, Requirements::kNTMinor, Act::kType, 0, "01", NTVersion, "0x0401"},
    {kRequirementsTab, Requirements::k95Minor, Act::kType, 0, "1", Win95Version, "0x040A", "10"},
    {kRequirementsTab, Requirements::kWin32sMajor, Act::kType, 0, "2", Win32sVersion, "0x021E"},
    {kRequirementsTab, Requirements::kCpu, Act::kChoose, 3, nullptr,
     [](const CKitwrightProject& p) { return std::to_string(p.m_wProcessor); }, "686"},
    {kRequirementsTab, Requirements::kColors, Act::kChoose, 3, nullptr,
     [](const CKitwrightProject& p) { return std::to_string(p.m_dwColors); }, "65536"},
    {kRequirementsTab, Requirements::kResolution, Act::kChoose, 4, nullptr,
     [](const CKitwrightProject& p) { return std::to_string(p.m_wResolution); }, "4"},
    {kRequirementsTab, Requirements::kMath, Act::kClick, 0, nullptr,
     [](const CKitwrightProject& p) { return std::to_string(p.m_dwMathCoprocessor); }, "1"},
    {kRequirementsTab, Requirements::kCheckApps, Act::kType, 0, "calc.exe\rnotepad.exe",
     [](const CKitwrightProject& p) { return p.m_strCheckApps.str(); }, "calc.exe\r\nnotepad.exe"},
};

std::string FromColor(const CKitwrightProject& p) { return Hex(p.m_dwGradientFrom); }
std::string ToColor(const CKitwrightProject& p) { return Hex(p.m_dwGradientTo); }

const FieldCase kVisualCases[] = {
    {kVisualTab, Visual::kTitle, Act::kType, 0, "Acme Setup",
     [](const CKitwrightProject& p) { return p.m_strSetupTitle.str(); }, "Acme Setup"},
    {kVisualTab, Visual::kTitleBar, Act::kClick, 0, nullptr,
     [](const CKitwrightProject& p) { return std::to_string(p.m_dwShowTitleBar); }, "0"},
    {kVisualTab, Visual::kFrom, Act::kPickColor, RGB(0, 160, 0), nullptr, FromColor, "0xA000"},
    {kVisualTab, Visual::kTo, Act::kPickColor, RGB(200, 0, 0), nullptr, ToColor, "0x00C8"},
    {kVisualTab, Visual::kSolid, Act::kClick, 0, nullptr,
     [](const CKitwrightProject& p) { return std::to_string(p.m_dwGradient); }, "0"},
    {kVisualTab, Visual::kLengthen, Act::kClick, 0, nullptr,
     [](const CKitwrightProject& p) { return Hex(p.m_dwFlags & CKitwrightProject::kMinInstallTime); }, "0x10000"},
    {kVisualTab, Visual::kSeconds, Act::kType, 0, "30",
     [](const CKitwrightProject& p) { return std::to_string(p.m_dwMinInstallTime); }, "30"},
};

// What every page shows for a new project.
struct ShownCase {
  Tab tab;
  int id;
  const char* shown;
};
const ShownCase kNewProjectShows[] = {
    {kGeneralTab, General::kProductName, ""},
    {kGeneralTab, General::kProductVersion, "1.0"},
    {kGeneralTab, General::kCompanyName, ""},
    {kGeneralTab, General::kPlatform, "Windows (32 bit)"},
    {kRequirementsTab, Requirements::kWinNT, "checked"},
    {kRequirementsTab, Requirements::kWin95, "checked"},
    {kRequirementsTab, Requirements::kWin32s, "clear"},
    {kRequirementsTab, Requirements::kNTMajor, "3"},
    {kRequirementsTab, Requirements::kNTMinor, "51"},
    {kRequirementsTab, Requirements::k95Major, "4"},
    {kRequirementsTab, Requirements::k95Minor, "00"},
    {kRequirementsTab, Requirements::kWin32sMajor, "1"},
    {kRequirementsTab, Requirements::kWin32sMinor, "30"},
    {kRequirementsTab, Requirements::kCpu, "80386"},
    {kRequirementsTab, Requirements::kColors, "No requirements"},
    {kRequirementsTab, Requirements::kResolution, "No requirements"},
    {kRequirementsTab, Requirements::kMath, "clear"},
    {kRequirementsTab, Requirements::kCheckApps, ""},
    {kVisualTab, Visual::kTitle, "%CompanyName% %ProductName% Setup"},
    {kVisualTab, Visual::kTitleBar, "checked"},
    {kVisualTab, Visual::kGradient, "checked"},
    {kVisualTab, Visual::kSolid, "clear"},
    {kVisualTab, Visual::kLengthen, "clear"},
    {kVisualTab, Visual::kSeconds, "1"},
};

class ViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_boxes.clear();
    g_answers.clear();
    g_fileNames.clear();
    g_colors.clear();
    g_colorsOffered.clear();
    kwf::SetMessageBoxSeam(&BoxSeam);
    kwf::SetModalSeam(&ModalSeam);
    kwf::SetFileDialogSeam(&FileSeam);
    kwf::SetColorDialogSeam(&ColorSeam);
    SetErrorBoxSeam(&ErrorSeam);
    ProfileSetRegistryBase(kProfileKeyPath);
    ProfileSetIniFile(kProfileIniFile);
    ProfileWriteInt("U:Settings", "DisplayWelcome", 0);
    app_ = std::make_unique<CKitwrightApp>();
    app_->SetLngFolder(std::string(KW_LNG_DIR) + "\\");
    ASSERT_TRUE(app_->InitInstance("", SW_SHOWNORMAL));
    // The same start on every machine, whatever its own language.
    Project().m_wSetupLanguage = 1033;
    Project().UpdateAllViews(0);
    Project().SetModifiedFlag(false);
  }
  void TearDown() override {
    kwf::SetColorDialogSeam(nullptr);
    if (!app_)
      return;
    if (app_->MainWindow() && ::IsWindow(app_->MainWindow())) {
      g_answers.assign({IDNO});
      ::PostMessageA(app_->MainWindow(), WM_CLOSE, 0, 0);
      PumpUntil([&] { return app_->QuitSeen(); });
    }
    app_->ExitInstance();
    app_.reset();
  }

  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    return kwtest::PumpUntil(done, timeoutMs, [&] { return app_->PumpOnce(50); });
  }

  CKitwrightProject& Project() { return app_->Project(); }
  CKitwrightTabView& View() { return app_->Frame()->View(); }
  HWND Page(Tab tab) { return View().GetClient(tab)->Handle(); }
  HWND Control(Tab tab, int id) { return ::GetDlgItem(Page(tab), id); }
  void Command(UINT id) { ::SendMessageA(app_->MainWindow(), WM_COMMAND, id, 0); }
  void SaveAs(const std::string& path) {
    g_fileNames.assign({path});
    Command(ID_FILE_SAVE_AS);
  }
  void Open(const std::string& path) {
    g_fileNames.assign({path});
    Command(ID_FILE_OPEN);
  }
  // File New, dropping the changes.
  void New() {
    g_answers.assign({IDNO});
    Command(ID_FILE_NEW);
  }
  // A change of the project behind the pages' back, then a full update
  // (which must leave it unmodified).
  void Reload(const std::function<void(CKitwrightProject&)>& change) {
    change(Project());
    Project().SetModifiedFlag(false);
    Project().UpdateAllViews(0);
  }

  void Apply(const FieldCase& c) {
    View().SetActiveTab(c.tab);
    HWND control = Control(c.tab, c.id);
    switch (c.act) {
      case Act::kClick:
        ::SendMessageA(control, BM_CLICK, 0, 0);
        break;
      case Act::kChoose:
        Choose(control, static_cast<int>(c.value));
        break;
      case Act::kChooseData:
        Choose(control, IndexOfData(control, c.value));
        break;
      case Act::kType:
        Type(control, c.text);
        break;
      case Act::kPickColor:
        g_colors.assign({static_cast<COLORREF>(c.value)});
        ::SendMessageA(control, BM_CLICK, 0, 0);
        break;
    }
  }

  // Each change reaches its field and marks the project modified; Save and
  // Open bring back the fields and what the controls showed.
  template <size_t N>
  void RoundTrip(const FieldCase (&cases)[N]) {
    for (const FieldCase& c : cases) {
      SCOPED_TRACE(c.expected);
      Project().SetModifiedFlag(false);
      Apply(c);
      EXPECT_EQ(c.field(Project()), c.expected);
      EXPECT_TRUE(Project().IsModified());
    }
    std::vector<std::string> fields, shown;
    for (const FieldCase& c : cases) {
      fields.push_back(c.field(Project()));
      shown.push_back(Shown(Control(c.tab, c.id)));
    }
    kwtest::TempDir dir;
    const std::string path = dir.file("views.kwr");
    SaveAs(path);
    ASSERT_FALSE(Project().IsModified());
    New();
    ASSERT_EQ(Project().GetPathName(), "");
    Open(path);
    ASSERT_EQ(Project().GetPathName(), path);
    for (size_t i = 0; i < N; ++i) {
      SCOPED_TRACE(cases[i].expected);
      EXPECT_EQ(cases[i].field(Project()), fields[i]);
      EXPECT_EQ(Shown(Control(cases[i].tab, cases[i].id)), cases[i].reopened ? cases[i].reopened : shown[i]);
    }
    EXPECT_FALSE(Project().IsModified());
  }

  std::unique_ptr<CKitwrightApp> app_;
};

// General

TEST_F(ViewsTest, GeneralControlsWriteTheirFieldsAndReadBackAfterSaveAndOpen) { RoundTrip(kGeneralCases); }

TEST_F(ViewsTest, GeneralEditsTakeEveryKeystrokeButNotTheTextTheyHold) {
  struct Case {
    int id;
    CQVString CKitwrightProject::*field;
    const char* typed;
    const char* otherCase;
  };
  const Case cases[] = {
      {General::kProductName, &CKitwrightProject::m_strProductName, "Widget", "WIDGET"},
      {General::kProductVersion, &CKitwrightProject::m_strProductVersion, "1.0b", "1.0B"},
      {General::kCompanyName, &CKitwrightProject::m_strCompanyName, "Acme", "acme"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    HWND edit = Control(kGeneralTab, c.id);
    Project().SetModifiedFlag(false);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    std::string typed;
    for (char key : std::string(c.typed)) {
      ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(key), 1);
      typed += key;
      EXPECT_EQ((Project().*c.field).str(), typed);
    }
    EXPECT_TRUE(Project().IsModified());
    // The text it holds already: nothing changes.
    Project().SetModifiedFlag(false);
    ::SetWindowTextA(edit, c.typed);
    EXPECT_FALSE(Project().IsModified());
    // The same letters in another case are another text.
    ::SetWindowTextA(edit, c.otherCase);
    EXPECT_EQ((Project().*c.field).str(), c.otherCase);
    EXPECT_TRUE(Project().IsModified());
  }
}

TEST_F(ViewsTest, LanguageListNamesEveryExtensionSortedAndAChoiceBecomesCurrent) {
  HWND list = Control(kGeneralTab, General::kLanguage);
  CIKitwrightExtension* extensions = app_->Extensions();
  ASSERT_EQ(static_cast<size_t>(::SendMessageA(list, CB_GETCOUNT, 0, 0)), extensions->GetSize());
  for (size_t i = 0; i < extensions->GetSize(); ++i) {
    WORD language = extensions->GetAt(i)->extension->GetLanguage();
    int at = IndexOfData(list, language);
    ASSERT_GE(at, 0) << language;
    char name[128];
    ASSERT_TRUE(CIKitwrightExtension::LanguageName(language, name, sizeof name));
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    EXPECT_EQ(Shown(list), name);
  }
  for (int i = 1; i < static_cast<int>(extensions->GetSize()); ++i) {
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(i - 1), 0);
    std::string before = Shown(list);
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    EXPECT_LE(lstrcmpiA(before.c_str(), Shown(list).c_str()), 0);
  }
  Project().UpdateAllViews(0);

  // Each entry in turn: a new choice is taken and made current; the one
  // already set changes nothing.
  for (int i = 0; i < 2 * static_cast<int>(extensions->GetSize()); ++i) {
    int entry = i / 2;
    SCOPED_TRACE(entry);
    uint32_t language = static_cast<uint32_t>(::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(entry), 0));
    const bool differs = language != Project().m_wSetupLanguage;
    const WORD current = extensions->CurrentLanguage();
    Project().SetModifiedFlag(false);
    Choose(list, entry);
    EXPECT_EQ(Project().m_wSetupLanguage, language);
    EXPECT_EQ(Project().IsModified(), differs);
    EXPECT_EQ(extensions->CurrentLanguage(), differs ? language : current);
  }
}

TEST_F(ViewsTest, Windows16UpdatesEveryTabAndThePlatformAlreadySetDoesNothing) {
  struct Case {
    int entry;
    uint16_t platform;
    bool fullUpdate;
    const char* ntLabel;
  };
  const Case cases[] = {
      {0, 2, false, "Microsoft Windows NT"},
      {1, 1, true, "Microsoft Windows"},
      {1, 1, false, "Microsoft Windows"},
      {0, 2, true, "Microsoft Windows NT"},
  };
  const int win32Only[] = {Requirements::kWin95, Requirements::kWin32s, Requirements::k95Major,
                           Requirements::kWin32sMajor, Requirements::k95Minor, Requirements::kWin32sMinor};
  const int always[] = {Requirements::kWinNT, Requirements::kNTMajor, Requirements::kNTMinor};
  HWND list = Control(kGeneralTab, General::kPlatform);
  HWND title = Control(kVisualTab, Visual::kTitle);
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(++round);
    // Only a full update brings this title onto the Visual Design tab.
    const std::string marker = "Marker " + std::to_string(round);
    const std::string before = TextOf(title);
    Project().m_strSetupTitle = marker;
    Project().SetModifiedFlag(false);
    Choose(list, c.entry);
    EXPECT_EQ(Project().m_wOperatingSystem, c.platform);
    EXPECT_EQ(Project().IsModified(), c.fullUpdate);
    EXPECT_EQ(TextOf(title), c.fullUpdate ? marker : before);
    EXPECT_EQ(TextOf(Control(kRequirementsTab, Requirements::kWinNT)), c.ntLabel);
    for (int id : win32Only)
      EXPECT_EQ(::IsWindowEnabled(Control(kRequirementsTab, id)) != 0, c.platform != 1) << id;
    for (int id : always)
      EXPECT_TRUE(::IsWindowEnabled(Control(kRequirementsTab, id))) << id;
  }
}

// Values that no list entry offers

TEST_F(ViewsTest, AValueNoEntryOffersShowsTheFirstEntryAndStaysStored) {
  struct Case {
    Tab tab;
    int id;
    void (*set)(CKitwrightProject&);
    uint32_t (*get)(const CKitwrightProject&);
    uint32_t stored;
    bool noSelection;
  };
  const Case cases[] = {
      {kGeneralTab, General::kLanguage, [](CKitwrightProject& p) { p.m_wSetupLanguage = 1049; },
       [](const CKitwrightProject& p) -> uint32_t { return p.m_wSetupLanguage; }, 1049, false},
      {kGeneralTab, General::kPlatform, [](CKitwrightProject& p) { p.m_wOperatingSystem = 7; },
       [](const CKitwrightProject& p) -> uint32_t { return p.m_wOperatingSystem; }, 7, true},
      {kRequirementsTab, Requirements::kColors, [](CKitwrightProject& p) { p.m_dwColors = 32768; },
       [](const CKitwrightProject& p) -> uint32_t { return p.m_dwColors; }, 32768, false},
      {kRequirementsTab, Requirements::kCpu, [](CKitwrightProject& p) { p.m_wProcessor = 286; },
       [](const CKitwrightProject& p) -> uint32_t { return p.m_wProcessor; }, 286, false},
      {kRequirementsTab, Requirements::kResolution, [](CKitwrightProject& p) { p.m_wResolution = 9; },
       [](const CKitwrightProject& p) -> uint32_t { return p.m_wResolution; }, 9, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    HWND list = Control(c.tab, c.id);
    // Away from entry 0 first, so that the update has to move the selection.
    ::SendMessageA(list, CB_SETCURSEL, 1, 0);
    Reload(c.set);
    EXPECT_EQ(::SendMessageA(list, CB_GETCURSEL, 0, 0), c.noSelection ? -1 : 0);
    EXPECT_EQ(c.get(Project()), c.stored);
    EXPECT_FALSE(Project().IsModified());
    // Until the user picks an entry.
    Choose(list, 0);
    EXPECT_EQ(c.get(Project()), SelectedData(list));
    EXPECT_TRUE(Project().IsModified());
  }
}

// Requirements

TEST_F(ViewsTest, RequirementsControlsWriteTheirFieldsAndReadBackAfterSaveAndOpen) {
  RoundTrip(kRequirementsCases);
}

TEST_F(ViewsTest, VersionEditsReadAOneDigitMinorInTenths) {
  struct Case {
    const char* major;
    const char* minor;
    uint16_t version;
    const char* minorShown;  // after a full update
  };
  const Case cases[] = {
      {"4", "1", 0x040A, "10"}, {"4", "01", 0x0401, "01"}, {"3", "51", 0x0333, "51"},
      {"1", "5", 0x0132, "50"}, {"4", "", 0x0400, "00"},   {"10", "0", 0x0A00, "00"},
  };
  HWND major = Control(kRequirementsTab, Requirements::k95Major);
  HWND minor = Control(kRequirementsTab, Requirements::k95Minor);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.major) + "." + c.minor);
    Type(major, c.major);
    Type(minor, c.minor);
    EXPECT_EQ(Project().m_wMin95Version, c.version);
    // The versions beside it are read again and stay as they were.
    EXPECT_EQ(Project().m_wMinNTVersion, 0x0333);
    EXPECT_EQ(Project().m_wMinWin32sVersion, 0x011E);
    // Filling the edits from the project is no change.
    Reload([](CKitwrightProject&) {});
    EXPECT_EQ(TextOf(major), c.major);
    EXPECT_EQ(TextOf(minor), c.minorShown);
    EXPECT_EQ(Project().m_wMin95Version, c.version);
    EXPECT_FALSE(Project().IsModified());
  }
}

// Visual Design

TEST_F(ViewsTest, VisualDesignControlsWriteTheirFieldsAndReadBackAfterSaveAndOpen) {
  RoundTrip(kVisualCases);
}

TEST_F(ViewsTest, SecondsAreReadAsADecimalNumber) {
  struct Case {
    const char* text;
    uint32_t stored;
    const char* shown;  // after a full update
  };
  const Case cases[] = {{"12a", 12, "12"}, {"", 0, "0"}, {"007", 7, "7"}, {"-5", 0xFFFFFFFBu, "-5"}, {"86400", 86400, "86400"}};
  HWND edit = Control(kVisualTab, Visual::kSeconds);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Project().SetModifiedFlag(false);
    ::SetWindowTextA(edit, c.text);
    EXPECT_EQ(Project().m_dwMinInstallTime, c.stored);
    EXPECT_TRUE(Project().IsModified());
    Reload([](CKitwrightProject&) {});
    EXPECT_EQ(TextOf(edit), c.shown);
    EXPECT_EQ(Project().m_dwMinInstallTime, c.stored);
    EXPECT_FALSE(Project().IsModified());
  }
}

TEST_F(ViewsTest, AColourChosenInTheDialogReachesTheProjectAndTheSwatch) {
  // Nothing may cover the page while its pixels are read.
  ASSERT_TRUE(PumpUntil([&] { return !app_->SplashShown(); }, 10000));
  View().SetActiveTab(kVisualTab);
  auto* page = dynamic_cast<CVisualDesignView*>(View().GetClient(kVisualTab));
  ASSERT_NE(page, nullptr);
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);

  struct Case {
    int swatch;
    bool solid;
    bool answered;    // OK in the dialog, with colour
    COLORREF colour;
    bool asked;       // the dialog opens at all
  };
  const Case cases[] = {
      {Visual::kFrom, false, true, RGB(0, 160, 0), true},
      {Visual::kTo, false, true, RGB(200, 0, 0), true},
      {Visual::kFrom, false, false, RGB(1, 2, 3), true},
      {Visual::kTo, true, true, RGB(1, 2, 3), false},
      {Visual::kFrom, true, true, RGB(0, 0, 200), true},
      {Visual::kTo, false, true, RGB(40, 40, 40), true},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(++round);
    ::SendMessageA(Control(kVisualTab, c.solid ? Visual::kSolid : Visual::kGradient), BM_CLICK, 0, 0);
    EXPECT_EQ(Project().m_dwGradient, c.solid ? 0u : 1u);
    uint32_t& field = c.swatch == Visual::kFrom ? Project().m_dwGradientFrom : Project().m_dwGradientTo;
    const uint32_t before = field;
    const bool changes = c.asked && c.answered && c.colour != before;
    Project().SetModifiedFlag(false);
    g_colorsOffered.clear();
    g_colors.clear();
    if (c.answered)
      g_colors.push_back(c.colour);
    // The swatch has the focus and is painted before the click, so that
    // only the choice can make it paint again.
    HWND swatch = Control(kVisualTab, c.swatch);
    ::SetFocus(swatch);
    ::UpdateWindow(page->Handle());
    ::SendMessageA(swatch, BM_CLICK, 0, 0);
    EXPECT_EQ(g_colorsOffered, c.asked ? std::vector<COLORREF>{before} : std::vector<COLORREF>{});
    EXPECT_EQ(field, changes ? c.colour : before);
    EXPECT_EQ(Project().IsModified(), changes);

    // The swatches as painted: the colours in use, the end one in a
    // checkerboard with the dialog colour while the background is solid.
    ::UpdateWindow(page->Handle());
    HDC dc = ::GetDC(page->Handle());
    for (int swatch : {Visual::kFrom, Visual::kTo}) {
      RECT r = page->SwatchRect(swatch);
      POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      COLORREF colour = swatch == Visual::kFrom ? Project().m_dwGradientFrom : Project().m_dwGradientTo;
      COLORREF here = ::GetPixel(dc, at.x, at.y), next = ::GetPixel(dc, at.x + 1, at.y);
      if (swatch == Visual::kTo && c.solid) {
        EXPECT_NE(here, next) << swatch;
        EXPECT_TRUE(here == colour || next == colour) << swatch;
        EXPECT_TRUE(here == face || next == face) << swatch;
      } else {
        EXPECT_EQ(here, colour) << swatch;
        EXPECT_EQ(next, colour) << swatch;
      }
    }
    ::ReleaseDC(page->Handle(), dc);
  }
}

// Every page

TEST_F(ViewsTest, FileNewClearsEveryPageAndAsksFirstForTheChanges) {
  for (const FieldCase& c : kGeneralCases)
    Apply(c);
  for (const FieldCase& c : kRequirementsCases)
    Apply(c);
  for (const FieldCase& c : kVisualCases)
    Apply(c);
  ASSERT_TRUE(Project().IsModified());
  g_boxes.clear();
  New();
  ASSERT_EQ(g_boxes, std::vector<std::string>{"Save changes to Untitled?"});
  EXPECT_FALSE(Project().IsModified());
  for (const ShownCase& c : kNewProjectShows)
    EXPECT_EQ(Shown(Control(c.tab, c.id)), c.shown) << c.id;
  // A new project takes the setup language chosen last (German, by the cases above).
  HWND language = Control(kGeneralTab, General::kLanguage);
  EXPECT_EQ(SelectedData(language), 1031);
  EXPECT_EQ(Project().m_wSetupLanguage, app_->Extensions()->CurrentLanguage());
  EXPECT_EQ(TextOf(Control(kRequirementsTab, Requirements::kWinNT)), "Microsoft Windows NT");
  EXPECT_TRUE(::IsWindowEnabled(Control(kRequirementsTab, Requirements::kWin95)));
}

}  // namespace
