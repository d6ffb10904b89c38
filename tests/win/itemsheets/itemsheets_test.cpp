// The item property sheets on real windows, driven by their messages.
#include "itemsheets.h"

#include "model/project.h"
#include "profile.h"
#include "reslang.h"
#include "testutil.h"
#include "win/wintest.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char kTestBase[] = "SOFTWARE\\Brantel SoftWare\\Kitwright\\ItemSheetsTest";
constexpr int kApplyButton = 0x3021;

// The file dialog seam: what it was asked with and what it answers.
struct FileDialogCall {
  bool open;
  std::string initial;
};
std::vector<FileDialogCall> g_fileCalls;
std::string g_pick;  // empty: the user cancels

bool FileSeam(bool open, std::string* path) {
  g_fileCalls.push_back({open, *path});
  if (g_pick.empty())
    return false;
  *path = g_pick;
  return true;
}

using kwtest::Pump;
using kwtest::PumpUntil;

std::string Text(HWND hwnd) {
  char text[1024] = {};
  ::GetWindowTextA(hwnd, text, sizeof text);
  return text;
}
std::string Text(HWND page, int id) { return Text(::GetDlgItem(page, id)); }
void SetText(HWND page, int id, const std::string& text) {
  ASSERT_NE(::GetDlgItem(page, id), nullptr) << id;
  ::SetDlgItemTextA(page, id, text.c_str());
}
bool Checked(HWND page, int id) { return ::IsDlgButtonChecked(page, id) == BST_CHECKED; }
// A click as the mouse gives it: the box toggles and tells the page.
void Click(HWND page, int id) {
  ASSERT_NE(::GetDlgItem(page, id), nullptr) << id;
  ::SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
  Pump();
}
bool Enabled(HWND page, int id) { return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE; }
bool Shown(HWND page, int id) {
  HWND control = ::GetDlgItem(page, id);
  return control && (::GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}
std::vector<std::string> ComboItems(HWND page, int id) {
  std::vector<std::string> items;
  HWND combo = ::GetDlgItem(page, id);
  LRESULT count = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[512] = {};
    ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}
int ComboSelection(HWND page, int id) {
  return static_cast<int>(::SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
}
// A choice of a drop-down list as the user makes it.
void Choose(HWND page, int id, int index) {
  HWND combo = ::GetDlgItem(page, id);
  ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}
// The header's icon: the first icon static of a page.
HICON HeaderIcon(HWND page) {
  for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if ((::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      return reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
  }
  return nullptr;
}

class ItemSheetsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestBase);
    ProfileSetRegistryBase(kTestBase);
    ProfileWriteInt("U:Settings", "Language", 1033);
    folder_ = new kwtest::TempDir;
    fs::copy_file(fs::path(KW_LNG_DIR) / "KWRENG32.DLL",
                  fs::path(folder_->path()) / "KWRENG32.DLL");
    theLanguageArray.SetFolder(folder_->path() + "\\");
    ASSERT_TRUE(theLanguageArray.Load());
    // The sheets are owned as a view's would be.
    owner_ = ::CreateWindowExA(0, "Static", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                               480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner_, nullptr);
    Pump();
  }
  static void TearDownTestSuite() {
    ::DestroyWindow(owner_);
    theLanguageArray.Unload();
    delete folder_;
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestBase);
    ::OleUninitialize();
  }
  void SetUp() override {
    g_fileCalls.clear();
    g_pick.clear();
    kwf::SetFileDialogSeam(&FileSeam);
  }
  void TearDown() override {
    kwf::SetFileDialogSeam(nullptr);
    Pump();
  }

  // Creates the sheet modeless as a view would show it; its first page.
  HWND Open(kwf::PropSheet& sheet) {
    HWND h = sheet.CreateModeless(owner_);
    EXPECT_NE(h, nullptr);
    Pump();
    return h ? sheet.Page(0)->Handle() : nullptr;
  }
  // Turns to a page (pages are created when first shown).
  HWND Turn(kwf::PropSheet& sheet, int index) {
    ::SendMessageA(sheet.Handle(), PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    Pump();
    return sheet.Page(index)->Handle();
  }
  // Ends the sheet with PSBTN_OK or PSBTN_CANCEL and closes it.
  void End(kwf::PropSheet& sheet, int button) {
    ::SendMessageA(sheet.Handle(), PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    EXPECT_TRUE(PumpUntil([&] { return sheet.Finished(); }));
    sheet.DestroyModeless();
  }

  static kwtest::TempDir* folder_;
  static HWND owner_;
};
kwtest::TempDir* ItemSheetsTest::folder_ = nullptr;
HWND ItemSheetsTest::owner_ = nullptr;

// ---------------------------------------------------------------- common

TEST_F(ItemSheetsTest, CaptionHeaderAndIconOfEverySheet) {
  CKitwrightProject project;
  ASSERT_TRUE(project.OnNewDocument());
  CFileItem file("C:\\kw-nowhere\\Data Files\\APP.EXE", "%INSTALLDIR%");
  CFileFolder package("Extras", 0x9E, 7);
  CRegistryKey key("Software", 0);
  CRegistryValue value("Version", "1.0");
  CIniValue ini("Setting", "on");
  CProgramIcon icon("My App", "%INSTALLDIR%\\APP.EXE");
  CCustomSetupOption option("Tools");

  struct Case {
    std::function<std::unique_ptr<kwf::PropSheet>()> make;
    std::string name;
    int nameId;
    const char* iconName;
  };
  const Case cases[] = {
      {[&] { return std::make_unique<CFileItemPropSheet>(&file); }, "APP.EXE",
       CFileItemPropPage::kName, "IDI_FILE"},
      {[&] { return std::make_unique<CFileItemPropSheet>(&file, true); }, "Multiple files",
       -1, "IDI_FILE"},
      {[&] { return std::make_unique<CFileFolderPropSheet>(&package); }, "Extras",
       CFileFolderPropPage::kName, "IDI_FOLDER"},
      {[&] { return std::make_unique<CFileFolderPropSheet>(project.m_pPackages); }, "Main",
       CFileFolderPropPage::kName, "IDI_FOLDER"},
      {[&] { return std::make_unique<CRegistryKeyPropSheet>(&key); }, "Software",
       CRegistryKeyPropPage::kName, "IDI_REGISTRY"},
      {[&] { return std::make_unique<CRegistryValuePropSheet>(&value); }, "Version",
       CRegistryValuePropPage::kName, "IDI_REGISTRY"},
      {[&] { return std::make_unique<CIniValuePropSheet>(&ini); }, "Setting",
       CIniValuePropPage::kName, "IDI_INIFILE"},
      {[&] { return std::make_unique<CProgramIconPropSheet>(&icon, &project); }, "My App",
       CProgramIconPropPage::kName, "IDI_PROGRAMGROUP"},
      {[&] { return std::make_unique<COptionPropSheet>(&option); }, "Tools",
       COptionPropPage::kName, "IDI_FOLDER"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<kwf::PropSheet> sheet = c.make();
    HWND page = Open(*sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(sheet->Handle()), c.name + " Properties");
    EXPECT_FALSE(Shown(sheet->Handle(), kApplyButton));
    EXPECT_TRUE(Shown(sheet->Handle(), IDOK));
    EXPECT_TRUE(Shown(sheet->Handle(), IDCANCEL));
    if (c.nameId >= 0) {
      EXPECT_EQ(Text(page, c.nameId), c.name);
    }
    HICON named = theLanguageArray.LoadIcon(c.iconName);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(HeaderIcon(page), named);
    for (int i = 1; i < sheet->PageCount(); ++i) {
      HWND other = Turn(*sheet, i);
      ASSERT_NE(other, nullptr);
      EXPECT_EQ(Text(other, c.nameId), c.name);
      EXPECT_EQ(HeaderIcon(other), named);
    }
    End(*sheet, PSBTN_CANCEL);
  }
}

TEST_F(ItemSheetsTest, ApplyButtonOnlyWhenAsked) {
  CIniValue ini("Key", "Value");
  for (bool noApply : {false, true}) {
    CIniValuePropSheet sheet(&ini);
    sheet.SetNoApply(noApply);
    ASSERT_NE(Open(sheet), nullptr);
    EXPECT_EQ(Shown(sheet.Handle(), kApplyButton), !noApply);
    End(sheet, PSBTN_CANCEL);
  }
}

// ---------------------------------------------------------------- files

struct FileBox {
  int id;
  uint32_t flag;
};
const FileBox kFileBoxes[] = {
    {CFileItemPropPage::kCompress, 0x0001},    {CFileItemPropPage::kVersionCheck, 0x0002},
    {CFileItemPropPage::kSelfRegister, 0x0008}, {CFileItemPropPage::kShared, 0x0010},
    {CFileItemPropPage::kNoUninstall, 0x0800},  {CFileItemPropPage::kNoOverwrite, 0x1000},
};
constexpr uint32_t kFileBoxMask = 0x1000 | 0x0800 | 0x0010 | 0x0008 | 0x0002 | 0x0001;

TEST_F(ItemSheetsTest, FileShowsItsItem) {
  const std::vector<std::string> choices = {"%INSTALLDIR%", "%WINDIR%", "%WINSYSDIR%",
                                            "%PROGRAMFILESDIR%", "%COMMONFILESDIR%"};
  for (uint32_t flags : {0x1805u, 0x001Au, 0u}) {
    CFileItem file("C:\\kw-nowhere\\APP.EXE", "%WINDIR%\\Sub");
    file.m_dwFlags = flags;
    CFileItemPropSheet sheet(&file);
    HWND page = Open(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(page, CFileItemPropPage::kSource), "C:\\kw-nowhere\\APP.EXE");
    EXPECT_EQ(Text(page, CFileItemPropPage::kName), "APP.EXE");
    // No shell information for a missing file: the template's type stays.
    EXPECT_EQ(Text(page, CFileItemPropPage::kType), "File");
    EXPECT_EQ(ComboItems(page, CFileItemPropPage::kDestination), choices);
    EXPECT_EQ(Text(page, CFileItemPropPage::kDestination), "%WINDIR%\\Sub");
    for (const FileBox& box : kFileBoxes)
      EXPECT_EQ(Checked(page, box.id), (flags & box.flag) != 0) << box.id;
    EXPECT_EQ(Checked(page, CFileItemPropPage::kPassword), (flags & 0x0004) != 0);
    EXPECT_FALSE(Shown(page, CFileItemPropPage::kPassword));
    EXPECT_FALSE(Enabled(page, CFileItemPropPage::kPassword));
    EXPECT_FALSE(Shown(page, CFileItemPropPage::kDescription));
    EXPECT_TRUE(Shown(page, CFileItemPropPage::kBrowse));
    EXPECT_TRUE(Enabled(page, CFileItemPropPage::kBrowse));
    EXPECT_TRUE(Enabled(page, CFileItemPropPage::kSource));
    End(sheet, PSBTN_CANCEL);
  }
}

TEST_F(ItemSheetsTest, FileOkWritesAndCancelDoesNot) {
  for (int button : {PSBTN_OK, PSBTN_CANCEL}) {
    CFileItem file("C:\\Src\\OLD.DLL", "%INSTALLDIR%");
    file.m_dwFlags = 0x0805 | 0x00400000;  // and a bit no box shows
    file.m_bHasVersion = 1;
    file.m_dwFileVersionMS = 0x00010002;
    CFileItemPropSheet sheet(&file);
    HWND page = Open(sheet);
    ASSERT_NE(page, nullptr);
    SetText(page, CFileItemPropPage::kSource, "D:\\New Place\\NEW.DLL");
    SetText(page, CFileItemPropPage::kDestination, "%WINSYSDIR%\\Shared");
    for (const FileBox& box : kFileBoxes)
      Click(page, box.id);
    End(sheet, button);
    if (button == PSBTN_OK) {
      EXPECT_EQ(file.m_strSource, "D:\\New Place\\NEW.DLL");
      EXPECT_EQ(file.m_strDestination, "%WINSYSDIR%\\Shared");
      EXPECT_EQ(file.m_dwFlags, ((0x0805u ^ kFileBoxMask) & kFileBoxMask) | 0x0004 | 0x00400000);
    } else {
      EXPECT_EQ(file.m_strSource, "C:\\Src\\OLD.DLL");
      EXPECT_EQ(file.m_strDestination, "%INSTALLDIR%");
      EXPECT_EQ(file.m_dwFlags, 0x0805u | 0x00400000);
    }
    EXPECT_EQ(file.m_bHasVersion, 1);
    EXPECT_EQ(file.m_dwFileVersionMS, 0x00010002u);
  }
}

TEST_F(ItemSheetsTest, FileDestinationFromTheList) {
  CFileItem file("C:\\Src\\A.TXT", "%INSTALLDIR%");
  CFileItemPropSheet sheet(&file);
  HWND page = Open(sheet);
  ASSERT_NE(page, nullptr);
  Choose(page, CFileItemPropPage::kDestination, 4);
  End(sheet, PSBTN_OK);
  EXPECT_EQ(file.m_strDestination, "%COMMONFILESDIR%");
}

TEST_F(ItemSheetsTest, FileHeaderFromTheShell) {
  kwtest::TempDir dir;
  std::string path = dir.file("Read Me.txt");
  kwtest::WriteFile(path, std::string("some text\r\n"));
  SHFILEINFOA shell = {};
  ASSERT_NE(::SHGetFileInfoA(path.c_str(), 0, &shell, sizeof shell,
                             SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ICON), 0u);
  if (shell.hIcon)
    ::DestroyIcon(shell.hIcon);

  CFileItem file(path, "%INSTALLDIR%");
  CFileItemPropSheet sheet(&file);
  HWND page = Open(sheet);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(Text(sheet.Handle()), "Read Me.txt Properties");
  EXPECT_EQ(Text(page, CFileItemPropPage::kName),
            shell.szDisplayName[0] ? shell.szDisplayName : "Read Me.txt");
  EXPECT_EQ(Text(page, CFileItemPropPage::kType), shell.szTypeName[0] ? shell.szTypeName : "File");
  HICON shown = reinterpret_cast<HICON>(
      ::SendDlgItemMessageA(page, CFileItemPropPage::kIcon, STM_GETICON, 0, 0));
  EXPECT_NE(shown, nullptr);
  EXPECT_NE(shown, theLanguageArray.LoadIcon("IDI_FILE"));
  End(sheet, PSBTN_OK);
  EXPECT_EQ(file.m_strSource, path);
}

TEST_F(ItemSheetsTest, MultipleFilesShowNoSourceAndKeepIt) {
  for (int button : {PSBTN_OK, PSBTN_CANCEL}) {
    CFileItem common("", "%WINDIR%");
    common.m_dwFlags = 0x0011;
    CFileItemPropSheet sheet(&common, true);
    HWND page = Open(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(page, CFileItemPropPage::kSource), "(Multiple files)");
    EXPECT_EQ(Text(page, CFileItemPropPage::kName), "(Multiple files)");
    EXPECT_FALSE(Enabled(page, CFileItemPropPage::kSource));
    EXPECT_FALSE(Shown(page, CFileItemPropPage::kBrowse));
    EXPECT_FALSE(Enabled(page, CFileItemPropPage::kBrowse));
    EXPECT_EQ(Text(page, CFileItemPropPage::kDestination), "%WINDIR%");
    EXPECT_TRUE(Checked(page, CFileItemPropPage::kShared));
    SetText(page, CFileItemPropPage::kDestination, "%PROGRAMFILESDIR%\\Common");
    Click(page, CFileItemPropPage::kVersionCheck);
    End(sheet, button);
    EXPECT_EQ(common.m_strSource, "");
    EXPECT_EQ(common.m_strDestination,
              button == PSBTN_OK ? "%PROGRAMFILESDIR%\\Common" : "%WINDIR%");
    EXPECT_EQ(common.m_dwFlags, button == PSBTN_OK ? 0x0013u : 0x0011u);
  }
}

TEST_F(ItemSheetsTest, BrowseWritesThePickAtOnce) {
  for (int button : {PSBTN_OK, PSBTN_CANCEL}) {
    CFileItem file("C:\\Src\\OLD.EXE", "%INSTALLDIR%");
    g_fileCalls.clear();
    g_pick = "E:\\Picked Folder\\Other.dll";
    CFileItemPropSheet sheet(&file);
    HWND page = Open(sheet);
    ASSERT_NE(page, nullptr);
    SetText(page, CFileItemPropPage::kSource, "C:\\Src\\TYPED.EXE");
    Click(page, CFileItemPropPage::kBrowse);
    ASSERT_EQ(g_fileCalls.size(), 1u);
    EXPECT_TRUE(g_fileCalls[0].open);
    EXPECT_EQ(g_fileCalls[0].initial, "C:\\Src\\TYPED.EXE");
    EXPECT_EQ(Text(page, CFileItemPropPage::kName), "Other.dll");
    EXPECT_EQ(Text(page, CFileItemPropPage::kSource), "E:\\Picked Folder\\Other.dll");
    EXPECT_EQ(file.m_strSource, "E:\\Picked Folder\\Other.dll");
    End(sheet, button);
    EXPECT_EQ(file.m_strSource, "E:\\Picked Folder\\Other.dll");
  }
}

TEST_F(ItemSheetsTest, BrowseCancelledChangesNothing) {
  CFileItem file("C:\\Src\\OLD.EXE", "%INSTALLDIR%");
  CFileItemPropSheet sheet(&file);
  HWND page = Open(sheet);
  ASSERT_NE(page, nullptr);
  Click(page, CFileItemPropPage::kBrowse);
  ASSERT_EQ(g_fileCalls.size(), 1u);
  EXPECT_EQ(g_fileCalls[0].initial, "C:\\Src\\OLD.EXE");
  EXPECT_EQ(Text(page, CFileItemPropPage::kName), "OLD.EXE");
  EXPECT_EQ(Text(page, CFileItemPropPage::kSource), "C:\\Src\\OLD.EXE");
  EXPECT_EQ(file.m_strSource, "C:\\Src\\OLD.EXE");
  End(sheet, PSBTN_CANCEL);
}

// ---------------------------------------------------------------- packages

TEST_F(ItemSheetsTest, PackageShowsItsNameAndWritesNothing) {
  CKitwrightProject project;
  ASSERT_TRUE(project.OnNewDocument());
  CFileFolder* main = project.m_pPackages;
  main->SetName("Renamed Main");
  CFileFolder* other = main->m_pNext;
  for (CFileFolder* package : {main, other}) {
    std::string name = package->m_strName;
    uint32_t flags = package->m_dwFlags;
    CFileFolderPropSheet sheet(package);
    HWND page = Open(sheet);
    ASSERT_NE(page, nullptr);
    std::string shown = package == main ? "Main" : name;
    EXPECT_EQ(Text(page, CFileFolderPropPage::kName), shown);
    EXPECT_EQ(Text(sheet.Handle()), shown + " Properties");
    End(sheet, PSBTN_OK);
    EXPECT_EQ(package->m_strName, name);
    EXPECT_EQ(package->m_dwFlags, flags);
  }
}

// ---------------------------------------------------------------- registry keys

TEST_F(ItemSheetsTest, RegistryKeyUninstallBox) {
  CKitwrightProject project;
  ASSERT_TRUE(project.OnNewDocument());
  CRegistryKey* machine = project.m_pRegistry->m_pChild->m_pNext->m_pNext;
  ASSERT_EQ(machine->m_strName, "HKEY_LOCAL_MACHINE");
  CRegistryKey* ordinary = machine->AddChildKey("SOFTWARE");
  CRegistryKey* marked = ordinary->AddChildKey("Vendor");
  marked->ChangeFlags(0, CRegistryKey::kRemoveOnUninstall);
  struct Case {
    CRegistryKey* key;
    bool enabled;
  };
  const Case cases[] = {
      {project.m_pRegistry->m_pChild, false}, {machine, false}, {ordinary, true}, {marked, true}};
  for (const Case& c : cases) {
    for (int button : {PSBTN_OK, PSBTN_CANCEL}) {
      SCOPED_TRACE(c.key->m_strName);
      uint32_t before = c.key->m_dwFlags;
      CRegistryKeyPropSheet sheet(c.key);
      HWND page = Open(sheet);
      ASSERT_NE(page, nullptr);
      EXPECT_EQ(Text(page, CRegistryKeyPropPage::kName), c.key->m_strName);
      EXPECT_EQ(Checked(page, CRegistryKeyPropPage::kUninstall), (before & 1) != 0);
      EXPECT_EQ(Enabled(page, CRegistryKeyPropPage::kUninstall), c.enabled);
      if (c.enabled)
        Click(page, CRegistryKeyPropPage::kUninstall);
      End(sheet, button);
      bool toggled = c.enabled && button == PSBTN_OK;
      EXPECT_EQ(c.key->m_dwFlags, toggled ? before ^ 1u : before);
    }
  }
}

// ---------------------------------------------------------------- registry values

TEST_F(ItemSheetsTest, RegistryValueShowsTypeAndData) {
  const std::vector<std::string> types = {"DWORD (REG_DWORD)", "String (REG_SZ)",
                                          "Binary (REG_BINARY)", "REG_EXPAND_SZ (NT only)"};
  const uint8_t bytes[] = {0x41, 0x00, 0x5C, 0x7F};
  CRegistryValue text("Path", "C:\\Program Files\\App");
  CRegistryValue number("Count", CRegistryValue::kNumber);
  number.SetNumber(0xFFFFFF85);
  CRegistryValue binary("Blob", CRegistryValue::kBinary);
  binary.SetBinary(bytes, sizeof bytes);
  binary.ChangeFlags(0, CRegistryValue::kNoOverwrite);
  CRegistryValue empty("Empty", CRegistryValue::kBinary);
  CRegistryValue unset("Unset", CRegistryValue::kString);
  struct Case {
    CRegistryValue* value;
    int selection;
    std::string data;
  };
  const Case cases[] = {
      {&text, 1, "C:\\Program Files\\App"}, {&number, 0, "-123"},
      {&binary, 2, "A\\00\\\\\\7F"},        {&empty, 2, ""},
      {&unset, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(*c.value->m_name);
    CRegistryValuePropSheet sheet(c.value);
    HWND page = Open(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(page, CRegistryValuePropPage::kName), *c.value->m_name);
    EXPECT_EQ(ComboItems(page, CRegistryValuePropPage::kType), types);
    EXPECT_EQ(ComboSelection(page, CRegistryValuePropPage::kType), c.selection);
    EXPECT_TRUE(Enabled(page, CRegistryValuePropPage::kType));
    EXPECT_EQ(Text(page, CRegistryValuePropPage::kValue), c.data);
    EXPECT_EQ(Checked(page, CRegistryValuePropPage::kNoOverwrite), c.value->m_dwFlags == 1);
    End(sheet, PSBTN_CANCEL);
  }
}

TEST_F(ItemSheetsTest, RegistryValueWritesTypeAndData) {
  using Bytes = std::vector<uint8_t>;
  struct Case {
    const char* label;
    std::function<void(CRegistryValue&)> prepare;
    int choose;
    std::string text;
    uint32_t type;
    std::optional<std::string> string;
    uint32_t number;
    std::optional<Bytes> binary;
  };
  const Case cases[] = {
      {"string to number", [](CRegistryValue& v) { v.SetString("old"); }, 0, "-42", 4,
       std::nullopt, 0xFFFFFFD6, std::nullopt},
      {"number from text", [](CRegistryValue& v) {
         v.SetType(4);
         v.SetNumber(9);
       }, 0, "12abc", 4,
       std::nullopt, 12, std::nullopt},
      {"number to binary", [](CRegistryValue& v) {
         v.SetType(4);
         v.SetNumber(9);
       }, 2,
       "A\\00\\\\\\7F", 3, std::nullopt, 0, Bytes{0x41, 0x00, 0x5C, 0x7F}},
      {"binary ending in one digit", [](CRegistryValue& v) { v.SetType(3); }, 2, "ab\\4", 3,
       std::nullopt, 0, Bytes{'a', 'b', 0x04}},
      {"binary emptied", [](CRegistryValue& v) {
         v.SetType(3);
         v.SetBinary("xy", 2);
       }, 2, "", 3,
       std::nullopt, 0, Bytes{}},
      {"binary to string", [](CRegistryValue& v) {
         v.SetType(3);
         v.SetBinary("xy", 2);
       }, 1,
       "new text", 1, std::string("new text"), 0, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CRegistryValue value("Name", "");
    c.prepare(value);
    CRegistryValuePropSheet sheet(&value);
    HWND page = Open(sheet);
    ASSERT_NE(page, nullptr);
    Choose(page, CRegistryValuePropPage::kType, c.choose);
    SetText(page, CRegistryValuePropPage::kValue, c.text);
    Click(page, CRegistryValuePropPage::kNoOverwrite);
    End(sheet, PSBTN_OK);
    EXPECT_EQ(value.m_dwType, c.type);
    EXPECT_EQ(value.m_strData, c.string);
    EXPECT_EQ(value.m_dwNumber, c.number);
    EXPECT_EQ(value.m_binary, c.binary);
    EXPECT_EQ(value.m_dwFlags, 1u);
    EXPECT_EQ(*value.m_name, "Name");
  }
}

TEST_F(ItemSheetsTest, RegistryValueExpandStringKeepsTypeAndData) {
  const uint8_t bytes[] = {1, 2, 3};
  CRegistryValue text("Text", "kept");
  CRegistryValue binary("Blob", CRegistryValue::kBinary);
  binary.SetBinary(bytes, sizeof bytes);
  binary.ChangeFlags(0, CRegistryValue::kNoOverwrite);
  for (CRegistryValue* value : {&text, &binary}) {
    SCOPED_TRACE(*value->m_name);
    uint32_t type = value->m_dwType;
    auto string = value->m_strData;
    auto data = value->m_binary;
    uint32_t flags = value->m_dwFlags;
    CRegistryValuePropSheet sheet(value);
    HWND page = Open(sheet);
    ASSERT_NE(page, nullptr);
    Choose(page, CRegistryValuePropPage::kType, 3);
    SetText(page, CRegistryValuePropPage::kValue, "%SystemRoot%\\x");
    Click(page, CRegistryValuePropPage::kNoOverwrite);
    End(sheet, PSBTN_OK);
    EXPECT_EQ(value->m_dwType, type);
    EXPECT_EQ(value->m_strData, string);
    EXPECT_EQ(value->m_binary, data);
    // The box is written all the same.
    EXPECT_EQ(value->m_dwFlags, flags ^ 1u);
  }
}

TEST_F(ItemSheetsTest, RegistryDefaultValueKeepsItsType) {
  CRegistryKey key("Software", 0);
  CRegistryValue* standard = key.m_pValues;
  ASSERT_NE(standard, nullptr);
  ASSERT_TRUE(standard->IsDefault());
  CRegistryValuePropSheet sheet(standard);
  HWND page = Open(sheet);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(Text(sheet.Handle()), "(Default) Properties");
  EXPECT_EQ(Text(page, CRegistryValuePropPage::kName), "(Default)");
  EXPECT_FALSE(Enabled(page, CRegistryValuePropPage::kType));
  EXPECT_EQ(ComboSelection(page, CRegistryValuePropPage::kType), 1);
  SetText(page, CRegistryValuePropPage::kValue, "standard data");
  End(sheet, PSBTN_OK);
  EXPECT_TRUE(standard->IsDefault());
  EXPECT_EQ(standard->m_dwType, 1u);
  EXPECT_EQ(standard->m_strData, std::optional<std::string>("standard data"));
}

TEST_F(ItemSheetsTest, RegistryValueCancelWritesNothing) {
  CRegistryValue value("Count", CRegistryValue::kNumber);
  value.SetNumber(5);
  CRegistryValuePropSheet sheet(&value);
  HWND page = Open(sheet);
  ASSERT_NE(page, nullptr);
  Choose(page, CRegistryValuePropPage::kType, 1);
  SetText(page, CRegistryValuePropPage::kValue, "text");
  Click(page, CRegistryValuePropPage::kNoOverwrite);
  End(sheet, PSBTN_CANCEL);
  EXPECT_EQ(value.m_dwType, 4u);
  EXPECT_EQ(value.m_dwNumber, 5u);
  EXPECT_FALSE(value.m_strData.has_value());
  EXPECT_EQ(value.m_dwFlags, 0u);
}

// ---------------------------------------------------------------- INI values

TEST_F(ItemSheetsTest, IniValueEditsTheValueOnly) {
  for (int button : {PSBTN_OK, PSBTN_CANCEL}) {
    CIniValue ini("device", "HP LaserJet,winspool,LPT1:");
    CIniValuePropSheet sheet(&ini);
    HWND page = Open(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(page, CIniValuePropPage::kName), "device");
    EXPECT_EQ(Text(page, CIniValuePropPage::kValue), "HP LaserJet,winspool,LPT1:");
    SetText(page, CIniValuePropPage::kValue, "none");
    End(sheet, button);
    EXPECT_EQ(ini.m_strKey, "device");
    EXPECT_EQ(ini.m_strValue, button == PSBTN_OK ? "none" : "HP LaserJet,winspool,LPT1:");
  }
}

// ---------------------------------------------------------------- program icons

TEST_F(ItemSheetsTest, ProgramIconOffersTheProjectsPrograms) {
  CKitwrightProject project;
  ASSERT_TRUE(project.OnNewDocument());
  project.m_pPackages->AddFile("C:\\SRC\\APP.EXE", "%INSTALLDIR%");
  project.m_pPackages->AddFile("C:\\SRC\\APP.DLL", "%INSTALLDIR%");
  project.m_pPackages->m_pNext->AddFile("C:\\SRC\\tool.exe", "%WINDIR%");
  CProgramIcon icon("My App", "%INSTALLDIR%\\APP.EXE");
  icon.SetParameters("/quiet");
  icon.SetIconPath("%INSTALLDIR%\\APP.ICO");
  icon.SetIconIndex(3);
  icon.SetWorkingDir("%INSTALLDIR%");
  icon.m_dwReserved = 77;

  CProgramIconPropSheet sheet(&icon, &project);
  HWND page = Open(sheet);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(ComboItems(page, CProgramIconPropPage::kPath),
            (std::vector<std::string>{"%INSTALLDIR%\\APP.EXE", "%WINDIR%\\tool.exe"}));
  EXPECT_EQ(Text(page, CProgramIconPropPage::kPath), "%INSTALLDIR%\\APP.EXE");
  EXPECT_EQ(Text(page, CProgramIconPropPage::kParameters), "/quiet");
  EXPECT_EQ(Text(page, CProgramIconPropPage::kIconPath), "%INSTALLDIR%\\APP.ICO");
  EXPECT_EQ(Text(page, CProgramIconPropPage::kIconIndex), "3");
  EXPECT_EQ(Text(page, CProgramIconPropPage::kWorkingDir), "%INSTALLDIR%");

  Choose(page, CProgramIconPropPage::kPath, 1);
  SetText(page, CProgramIconPropPage::kParameters, "");
  SetText(page, CProgramIconPropPage::kIconPath, "%WINDIR%\\tool.exe");
  SetText(page, CProgramIconPropPage::kIconIndex, "12");
  SetText(page, CProgramIconPropPage::kWorkingDir, "%WINDIR%");
  End(sheet, PSBTN_OK);
  EXPECT_EQ(icon.m_strName, "My App");
  EXPECT_EQ(icon.m_strPath, "%WINDIR%\\tool.exe");
  EXPECT_EQ(icon.m_strParameters, "");
  EXPECT_EQ(icon.m_strIconPath, "%WINDIR%\\tool.exe");
  EXPECT_EQ(icon.m_dwIconIndex, 12u);
  EXPECT_EQ(icon.m_strWorkingDir, "%WINDIR%");
  EXPECT_EQ(icon.m_dwReserved, 77u);
}

TEST_F(ItemSheetsTest, ProgramIconTypedPathAndCancel) {
  for (int button : {PSBTN_OK, PSBTN_CANCEL}) {
    CProgramIcon icon("Readme", "%INSTALLDIR%\\README.TXT");
    CProgramIconPropSheet sheet(&icon, nullptr);
    HWND page = Open(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(ComboItems(page, CProgramIconPropPage::kPath).empty());
    SetText(page, CProgramIconPropPage::kPath, "notepad.exe");
    SetText(page, CProgramIconPropPage::kParameters, "%INSTALLDIR%\\README.TXT");
    SetText(page, CProgramIconPropPage::kIconIndex, "");
    End(sheet, button);
    bool ok = button == PSBTN_OK;
    EXPECT_EQ(icon.m_strPath, ok ? "notepad.exe" : "%INSTALLDIR%\\README.TXT");
    EXPECT_EQ(icon.m_strParameters, ok ? "%INSTALLDIR%\\README.TXT" : "");
    EXPECT_EQ(icon.m_dwIconIndex, 0u);
  }
}

// ---------------------------------------------------------------- options

TEST_F(ItemSheetsTest, OptionWritesBothPagesOnOk) {
  for (int button : {PSBTN_OK, PSBTN_CANCEL}) {
    CCustomSetupOptions options;
    CCustomSetupOption* option = options.AddOption("Tools");
    option->ChangeFlags(0, CCustomSetupOption::kSelected);
    option->SetDescription("The tools.");
    option->SetGroupId(3);
    option->SetPassword("secret");
    option->AddPackageId(4);
    uint32_t unique = option->m_dwUniqueId;
    COptionPropSheet sheet(option);
    HWND general = Open(sheet);
    ASSERT_NE(general, nullptr);
    EXPECT_TRUE(Checked(general, COptionPropPage::kSelected));
    EXPECT_EQ(Text(general, COptionPropPage::kDescription), "The tools.");
    Click(general, COptionPropPage::kSelected);
    SetText(general, COptionPropPage::kDescription, "Line one\r\nLine two");

    HWND advanced = Turn(sheet, 1);
    ASSERT_NE(advanced, nullptr);
    EXPECT_EQ(Text(advanced, COptionAdvancedPropPage::kName), "Tools");
    EXPECT_EQ(Text(advanced, COptionAdvancedPropPage::kGroupId), "3");
    EXPECT_EQ(Text(advanced, COptionAdvancedPropPage::kPassword), "secret");
    EXPECT_FALSE(Checked(advanced, COptionAdvancedPropPage::kSetupc));
    SetText(advanced, COptionAdvancedPropPage::kGroupId, "8");
    SetText(advanced, COptionAdvancedPropPage::kPassword, "Other");
    Click(advanced, COptionAdvancedPropPage::kSetupc);
    // Back on the first page: OK still writes both.
    Turn(sheet, 0);
    End(sheet, button);
    bool ok = button == PSBTN_OK;
    EXPECT_EQ(option->m_dwFlags, ok ? 0x0006u : 0x0005u);
    EXPECT_EQ(option->m_strDescription.str(), ok ? "Line one\r\nLine two" : "The tools.");
    EXPECT_EQ(option->m_dwGroupId, ok ? 8u : 3u);
    EXPECT_EQ(option->m_strPassword.str(), ok ? "Other" : "secret");
    EXPECT_EQ(option->m_strName.str(), "Tools");
    EXPECT_EQ(option->m_packageIds, std::vector<uint32_t>{4});
    EXPECT_EQ(option->m_dwUniqueId, unique);
  }
}

TEST_F(ItemSheetsTest, OptionSetupcSwitchesIdAndPassword) {
  CCustomSetupOptions options;
  for (const char* name : {"One", "Two", "Three"})
    options.AddOption(name);
  options.RemoveOption(options.At(0));
  CCustomSetupOption* option = options.AddOption("Validated");
  option->ChangeFlags(0, CCustomSetupOption::kSetupcPassword);
  ASSERT_EQ(option->m_dwUniqueId, 1u);
  CCustomSetupOption* plain = options.At(0);

  struct Case {
    CCustomSetupOption* option;
    bool setupc;
    std::string idLine;
  };
  const Case cases[] = {
      {option, true, "The unique id for this setup option is: 1"},
      {plain, false, "The unique id for this setup option is: 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option->m_strName.str());
    COptionPropSheet sheet(c.option);
    ASSERT_NE(Open(sheet), nullptr);
    HWND page = Turn(sheet, 1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(page, COptionAdvancedPropPage::kUniqueId), c.idLine);
    bool setupc = c.setupc;
    for (int click = 0; click < 3; ++click) {
      EXPECT_EQ(Checked(page, COptionAdvancedPropPage::kSetupc), setupc);
      EXPECT_EQ(Shown(page, COptionAdvancedPropPage::kUniqueId), setupc);
      EXPECT_EQ(Enabled(page, COptionAdvancedPropPage::kPassword), !setupc);
      Click(page, COptionAdvancedPropPage::kSetupc);
      setupc = !setupc;
    }
    End(sheet, PSBTN_OK);
    EXPECT_EQ((c.option->m_dwFlags & CCustomSetupOption::kSetupcPassword) != 0, !c.setupc);
  }
}

// ---------------------------------------------------------------- text limits

TEST_F(ItemSheetsTest, TextFieldsAreReadToTheirLimits) {
  const std::string longText(300, 'x');
  CFileItem file("C:\\A.EXE", "%INSTALLDIR%");
  CIniValue ini("Key", "v");
  CProgramIcon icon("Icon", "p");
  CCustomSetupOption option("Option");
  struct Case {
    std::function<std::unique_ptr<kwf::PropSheet>()> make;
    int page;
    int id;
    std::function<std::string()> field;
    size_t kept;
  };
  const Case cases[] = {
      {[&] { return std::make_unique<CFileItemPropSheet>(&file); }, 0, CFileItemPropPage::kSource,
       [&] { return file.m_strSource; }, 259},
      {[&] { return std::make_unique<CFileItemPropSheet>(&file); }, 0,
       CFileItemPropPage::kDestination, [&] { return file.m_strDestination; }, 259},
      {[&] { return std::make_unique<CIniValuePropSheet>(&ini); }, 0, CIniValuePropPage::kValue,
       [&] { return ini.m_strValue; }, 259},
      {[&] { return std::make_unique<CProgramIconPropSheet>(&icon, nullptr); }, 0,
       CProgramIconPropPage::kWorkingDir, [&] { return icon.m_strWorkingDir; }, 259},
      {[&] { return std::make_unique<COptionPropSheet>(&option); }, 0,
       COptionPropPage::kDescription, [&] { return option.m_strDescription.str(); }, 255},
      {[&] { return std::make_unique<COptionPropSheet>(&option); }, 1,
       COptionAdvancedPropPage::kPassword, [&] { return option.m_strPassword.str(); }, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    std::unique_ptr<kwf::PropSheet> sheet = c.make();
    ASSERT_NE(Open(*sheet), nullptr);
    HWND page = Turn(*sheet, c.page);
    SetText(page, c.id, longText);
    ASSERT_EQ(Text(page, c.id), longText);
    End(*sheet, PSBTN_OK);
    EXPECT_EQ(c.field(), std::string(c.kept, 'x'));
  }
}

// ---------------------------------------------------------------- modal runs

// Answers the modal sheet from inside its own message loop.
std::string g_modalCaption;
int g_modalButton = 0;
std::string g_modalValue;

void CALLBACK AnswerModalSheet(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND sheet = ::FindWindowA(nullptr, g_modalCaption.c_str());
  if (!sheet)
    return;
  ::KillTimer(nullptr, timer);
  HWND page = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  ::SetDlgItemTextA(page, CIniValuePropPage::kValue, g_modalValue.c_str());
  ::SendMessageA(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(g_modalButton), 0);
}

TEST_F(ItemSheetsTest, DoModalTellsOkFromCancel) {
  struct Case {
    int button;
    INT_PTR result;
    std::string value;
  };
  const Case cases[] = {{PSBTN_OK, IDOK, "typed"}, {PSBTN_CANCEL, IDCANCEL, "before"}};
  for (const Case& c : cases) {
    CIniValue ini("Modal Key", "before");
    CIniValuePropSheet sheet(&ini);
    g_modalCaption = "Modal Key Properties";
    g_modalButton = c.button;
    g_modalValue = "typed";
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &AnswerModalSheet);
    ASSERT_NE(timer, 0u);
    EXPECT_EQ(sheet.DoModal(nullptr), c.result);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(ini.m_strValue, c.value);
  }
}

}  // namespace
