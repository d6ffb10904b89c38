// The Options and Build Options sheets.
#include "sheets.h"

#include "extension.h"
#include "model/disksize.h"
#include "profile.h"
#include "reslang.h"
#include "resids.h"

namespace {

constexpr char kSettings[] = "U:Settings";
constexpr char kMachineSettings[] = "Settings";
constexpr UINT kOptionsCaption = 49;
constexpr UINT kLanguageChanged = IDS_LANGUAGE_CHANGED;
constexpr UINT kBuildOptionsCaption = IDS_BUILD_OPTIONS;

void CheckFromSetting(HWND page, int id, const char* entry) {
  ::CheckDlgButton(page, id, ProfileGetInt(kSettings, entry, 1) ? BST_CHECKED : BST_UNCHECKED);
}

void WriteFromCheck(HWND page, int id, const char* entry) {
  ProfileWriteInt(kSettings, entry, ::IsDlgButtonChecked(page, id) == BST_CHECKED ? 1 : 0);
}

bool Windows4OrLater() {
  OSVERSIONINFOA os = {};
  os.dwOSVersionInfoSize = sizeof os;
  return ::GetVersionExA(&os) && os.dwMajorVersion >= 4;
}

}  // namespace

// CConfigGeneral

WORD CConfigGeneral::CurrentLanguage() {
  unsigned int language = ProfileGetInt(kSettings, "Language", 1033);
  return language == 1031 ? 1031 : 1033;
}

bool CConfigGeneral::OnInitDialog() {
  CheckFromSetting(hwnd_, kWelcome, "DisplayWelcome");
  CheckFromSetting(hwnd_, k3dBorders, "Use3dDialogBorders");
  CheckFromSetting(hwnd_, kFinished, "DisplayFinished");
  if (flatAvailable_) {
    CheckFromSetting(hwnd_, kFlatToolbar, "FlatToolbar");
  } else {
    ::CheckDlgButton(hwnd_, kFlatToolbar, BST_UNCHECKED);
    ::EnableWindow(::GetDlgItem(hwnd_, kFlatToolbar), FALSE);
  }
  if (Windows4OrLater())
    ::EnableWindow(::GetDlgItem(hwnd_, k3dBorders), FALSE);

  HWND list = ::GetDlgItem(hwnd_, kLanguage);
  WORD current = CurrentLanguage();
  for (int i = 0; i < theLanguageArray.GetSize(); ++i) {
    tagLANGUAGEENTRY* entry = theLanguageArray.GetAt(i);
    if (!entry || !entry->object)
      continue;
    WORD language = entry->object->GetLanguage(nullptr);
    char name[256];
    if (!CIKitwrightExtension::LanguageName(language, name, sizeof name))
      wsprintfA(name, "%u", language);
    LRESULT at = ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (at >= 0)
      ::SendMessageA(list, CB_SETITEMDATA, static_cast<WPARAM>(at), language);
  }
  ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  LRESULT count = ::SendMessageA(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i)
    if (static_cast<WORD>(::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == current)
      ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
  return true;
}

bool CConfigGeneral::OnCommand(WORD id, WORD code, HWND control) {
  if (id == kLanguage && code == CBN_SELCHANGE) {
    SetModified(true);
    return true;
  }
  if (code == BN_CLICKED && (id == kWelcome || id == kFlatToolbar || id == kFinished)) {
    SetModified(true);
    return true;
  }
  return false;
}

bool CConfigGeneral::OnApply() {
  WriteFromCheck(hwnd_, kWelcome, "DisplayWelcome");
  WriteFromCheck(hwnd_, kFlatToolbar, "FlatToolbar");
  WriteFromCheck(hwnd_, k3dBorders, "Use3dDialogBorders");
  WriteFromCheck(hwnd_, kFinished, "DisplayFinished");
  HWND list = ::GetDlgItem(hwnd_, kLanguage);
  LRESULT sel = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (sel >= 0) {
    WORD chosen = static_cast<WORD>(::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0));
    if (chosen != CurrentLanguage()) {
      HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
      ProfileWriteInt(kSettings, "Language", chosen);
      char text[512] = {};
      theLanguageArray.LoadString(kLanguageChanged, text, sizeof text);
      kwf::AppMessageBox(hwnd_, text, MB_OK);
      ::SetCursor(old);
    }
  }
  return true;
}

// CConfigExtensions

bool CConfigExtensions::OnInitDialog() {
  HWND list = ::GetDlgItem(hwnd_, kList);
  for (size_t i = 0; extensions_ && i < extensions_->GetSize(); ++i) {
    const tagEXTENSIONENTRY* entry = extensions_->GetAt(i);
    if (!entry || !entry->extension)
      continue;
    WORD language = entry->extension->GetLanguage();
    char name[128];
    if (!CIKitwrightExtension::LanguageName(language, name, sizeof name))
      wsprintfA(name, "%u", language);
    LRESULT at = ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (at >= 0)
      ::SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), language);
  }
  return true;
}

bool CConfigExtensions::OnCommand(WORD id, WORD code, HWND control) {
  if (id != kAbout || code != BN_CLICKED)
    return false;
  HWND list = ::GetDlgItem(hwnd_, kList);
  LRESULT sel = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
  ILanguageExtension* extension = nullptr;
  if (sel >= 0 && extensions_)
    extension = extensions_->Find(
        static_cast<WORD>(::SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(sel), 0)));
  if (extension)
    extension->About(hwnd_);
  else
    ::MessageBeep(static_cast<UINT>(-1));
  return true;
}

// CConfigSheet

CConfigSheet::CConfigSheet(bool flatAvailable, CIKitwrightExtension* extensions)
    : PropSheet(kwf::LoadResString(kOptionsCaption)),
      general_(flatAvailable),
      extensions_(extensions) {
  AddPage(&general_);
  if (ProfileGetInt(kMachineSettings, "DisplayExtensionsPage", 1) != 0)
    AddPage(&extensions_);
}

// The disk size choosers

void FillDiskSizeCombo(HWND combo, uint32_t capacity) {
  ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const kw::DiskSizeEntry& entry : kw::kDiskSizes) {
    char text[128] = {};
    if (theLanguageArray.LoadString(entry.textId, text, sizeof text) <= 0)
      lstrcpynA(text, entry.english, sizeof text);
    LRESULT at = ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (at >= 0)
      ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), entry.capacity);
  }
  ::SendMessageA(combo, CB_SETCURSEL, kw::DiskSizeIndex(capacity), 0);
}

uint32_t SelectedDiskSize(HWND combo, uint32_t fallback) {
  LRESULT sel = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (sel < 0)
    return fallback;
  return static_cast<uint32_t>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0));
}

bool CDiskSizePropPage::OnInitDialog() {
  FillDiskSizeCombo(::GetDlgItem(hwnd_, kCombo), capacity);
  return true;
}

bool CDiskSizePropPage::OnApply() {
  capacity = SelectedDiskSize(::GetDlgItem(hwnd_, kCombo), capacity);
  return true;
}

CDiskSizeDialog::CDiskSizeDialog(uint32_t capacity)
    : PropSheet(kwf::LoadResString(kBuildOptionsCaption)), page_(capacity) {
  AddPage(&page_);
}
