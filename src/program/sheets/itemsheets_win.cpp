// The item property sheets.
#include "itemsheets.h"

#include "model/iconpaths.h"
#include "model/project.h"
#include "model/regtext.h"
#include "reslang.h"
#include "resids.h"

#include <shellapi.h>

#include <cstdio>
#include <vector>

namespace {

constexpr UINT kPropertiesCaption = IDS_PROPERTIES_FMT;
constexpr UINT kAllFilesFilter = IDS_FILTER_ALL;
constexpr UINT kMainPackage = IDS_PACKAGE_MAIN;
constexpr UINT kMultipleFiles = IDS_MULTIPLE_FILES;
constexpr UINT kDefaultValue = IDS_REG_DEFAULT;

// The description and the option page fields are kept to 255 characters.
constexpr int kOptionTextLimit = 256;

bool IsWin32s() {
  OSVERSIONINFOA os = {};
  os.dwOSVersionInfoSize = sizeof os;
  return ::GetVersionExA(&os) && os.dwPlatformId == VER_PLATFORM_WIN32s;
}

// A "|"-separated filter of the resource library as the common dialog takes it.
std::string DialogFilter(UINT id) {
  std::string filter = kwf::LoadResString(id);
  for (char& c : filter)
    if (c == '|')
      c = '\0';
  return filter;
}

std::string NameAfterLastBackslash(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The first icon static of a page: the header's, whatever its id.
HWND HeaderIcon(HWND page) {
  for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    char cls[16] = {};
    ::GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 &&
        (::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      return child;
  }
  return nullptr;
}

}  // namespace

// CItemPropPage

bool CItemPropPage::OnInitDialog() {
  SetControlText(nameId_, displayName_);
  if (HWND icon = HeaderIcon(hwnd_)) {
    if (HICON named = theLanguageArray.LoadIcon(iconName_))
      ::SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(named), 0);
  }
  return true;
}

std::string CItemPropPage::ControlText(int id, int limit) const {
  std::vector<char> text(static_cast<size_t>(limit), '\0');
  ::GetDlgItemTextA(hwnd_, id, text.data(), limit);
  return text.data();
}

void CItemPropPage::SetControlText(int id, const std::string& text) {
  ::SetDlgItemTextA(hwnd_, id, text.c_str());
}

bool CItemPropPage::Checked(int id) const { return ::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }

uint32_t CItemPropPage::CheckedFlag(int id, uint32_t flag) const { return Checked(id) ? flag : 0; }

void CItemPropPage::Check(int id, bool checked) {
  ::CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

// CItemPropSheet

namespace {

std::string PropertiesCaption(const std::string& displayName) {
  std::string format = kwf::LoadResString(kPropertiesCaption);
  if (format.empty())
    return displayName;
  std::vector<char> caption(format.size() + displayName.size() + 1);
  std::snprintf(caption.data(), caption.size(), format.c_str(), displayName.c_str());
  return caption.data();
}

}  // namespace

CItemPropSheet::CItemPropSheet(const std::string& displayName)
    : PropSheet(PropertiesCaption(displayName)) {
  SetNoApply();
}

// CFileItemPropPage

namespace {

struct FlagBox {
  int id;
  uint32_t flag;
};

const FlagBox kFileFlags[] = {
    {CFileItemPropPage::kCompress, CFileItem::kCompress},
    {CFileItemPropPage::kVersionCheck, CFileItem::kVersionCheck},
    {CFileItemPropPage::kSelfRegister, CFileItem::kSelfRegister},
    {CFileItemPropPage::kShared, CFileItem::kShared},
    {CFileItemPropPage::kNoUninstall, CFileItem::kNoUninstall},
    {CFileItemPropPage::kNoOverwrite, CFileItem::kNoOverwrite},
    {CFileItemPropPage::kPassword, CFileItem::kRequirePassword},
};

const char* const kDestinations[] = {
    "%INSTALLDIR%", "%WINDIR%", "%WINSYSDIR%", "%PROGRAMFILESDIR%", "%COMMONFILESDIR%",
};

std::string MultipleFilesSource() { return "(" + kwf::LoadResString(kMultipleFiles) + ")"; }

}  // namespace

CFileItemPropPage::CFileItemPropPage(CFileItem* item, bool multiple)
    : CItemPropPage(IDD_FILE_GENERAL, kName, "IDI_FILE", DisplayName(*item, multiple)),
      item_(item),
      multiple_(multiple) {}

CFileItemPropPage::~CFileItemPropPage() {
  if (shellIcon_)
    ::DestroyIcon(shellIcon_);
}

std::string CFileItemPropPage::DisplayName(const CFileItem& item, bool multiple) {
  return multiple ? kwf::LoadResString(kMultipleFiles) : item.FileName();
}

bool CFileItemPropPage::OnInitDialog() {
  CItemPropPage::OnInitDialog();
  if (multiple_) {
    std::string source = MultipleFilesSource();
    SetControlText(kSource, source);
    SetControlText(kName, source);
    ::EnableWindow(::GetDlgItem(hwnd_, kSource), FALSE);
    HWND browse = ::GetDlgItem(hwnd_, kBrowse);
    ::EnableWindow(browse, FALSE);
    ::ShowWindow(browse, SW_HIDE);
  } else {
    SetControlText(kSource, item_->m_strSource);
    ShowShellInfo();
  }
  HWND destination = ::GetDlgItem(hwnd_, kDestination);
  for (const char* choice : kDestinations)
    ::SendMessageA(destination, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
  SetControlText(kDestination, item_->m_strDestination);
  for (const FlagBox& box : kFileFlags)
    Check(box.id, (item_->m_dwFlags & box.flag) != 0);
  return true;
}

void CFileItemPropPage::ShowShellInfo() {
  if (IsWin32s())
    return;
  SHFILEINFOA info = {};
  if (!::SHGetFileInfoA(item_->m_strSource.c_str(), 0, &info, sizeof info,
                        SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ICON))
    return;
  if (info.szDisplayName[0])
    SetControlText(kName, info.szDisplayName);
  if (info.szTypeName[0])
    SetControlText(kType, info.szTypeName);
  if (info.hIcon) {
    ::SendDlgItemMessageA(hwnd_, kIcon, STM_SETICON, reinterpret_cast<WPARAM>(info.hIcon), 0);
    if (shellIcon_)
      ::DestroyIcon(shellIcon_);
    shellIcon_ = info.hIcon;
  }
}

bool CFileItemPropPage::OnCommand(WORD id, WORD code, HWND control) {
  if (id == kBrowse && code == BN_CLICKED) {
    Browse();
    return true;
  }
  return false;
}

void CFileItemPropPage::Browse() {
  std::string path = ControlText(kSource);
  std::string filter = DialogFilter(kAllFilesFilter);
  if (!kwf::PromptFileName(hwnd_, true, filter.c_str(), nullptr, &path))
    return;
  SetControlText(kName, NameAfterLastBackslash(path));
  SetControlText(kSource, path);
  // The pick holds even when the sheet is cancelled afterwards.
  item_->SetSourcePath(path.c_str());
}

bool CFileItemPropPage::OnApply() {
  if (!multiple_)
    item_->SetSourcePath(ControlText(kSource).c_str());
  item_->SetDestination(ControlText(kDestination).c_str());
  for (const FlagBox& box : kFileFlags)
    item_->ChangeFlags(box.flag, CheckedFlag(box.id, box.flag));
  return true;
}

CFileItemPropSheet::CFileItemPropSheet(CFileItem* item, bool multiple)
    : CItemPropSheet(CFileItemPropPage::DisplayName(*item, multiple)), page_(item, multiple) {
  AddPage(&page_);
}

// CFileFolderPropPage: a note only; setup types took over its settings.

CFileFolderPropPage::CFileFolderPropPage(CFileFolder* package)
    : CItemPropPage(IDD_PACKAGE_GENERAL, kName, "IDI_FOLDER", DisplayName(*package)),
      package_(package) {}

std::string CFileFolderPropPage::DisplayName(const CFileFolder& package) {
  return (package.m_dwFlags & CFileFolder::kMain) ? kwf::LoadResString(kMainPackage)
                                                  : package.m_strName;
}

CFileFolderPropSheet::CFileFolderPropSheet(CFileFolder* package)
    : CItemPropSheet(CFileFolderPropPage::DisplayName(*package)), page_(package) {
  AddPage(&page_);
}

// CRegistryKeyPropPage

CRegistryKeyPropPage::CRegistryKeyPropPage(CRegistryKey* key)
    : CItemPropPage(IDD_REGKEY_GENERAL, kName, "IDI_REGISTRY", key->m_strName), key_(key) {}

bool CRegistryKeyPropPage::OnInitDialog() {
  CItemPropPage::OnInitDialog();
  Check(kUninstall, (key_->m_dwFlags & CRegistryKey::kRemoveOnUninstall) != 0);
  // The top keys and the root are the system's: never removed.
  if (key_->m_dwRoot != 0)
    ::EnableWindow(::GetDlgItem(hwnd_, kUninstall), FALSE);
  return true;
}

bool CRegistryKeyPropPage::OnApply() {
  key_->ChangeFlags(CRegistryKey::kRemoveOnUninstall,
                    CheckedFlag(kUninstall, CRegistryKey::kRemoveOnUninstall));
  return true;
}

CRegistryKeyPropSheet::CRegistryKeyPropSheet(CRegistryKey* key)
    : CItemPropSheet(key->m_strName), page_(key) {
  AddPage(&page_);
}

// CRegistryValuePropPage

// Type 2 is offered but refused by the value: choosing it changes nothing.
const uint32_t CRegistryValuePropPage::kTypes[kTypeCount] = {
    CRegistryValue::kNumber, CRegistryValue::kString, CRegistryValue::kBinary, 2,
};
const UINT CRegistryValuePropPage::kTypeTexts[kTypeCount] = {
    IDS_REGTYPE_DWORD, IDS_REGTYPE_STRING, IDS_REGTYPE_BINARY, IDS_REGTYPE_EXPAND,
};

CRegistryValuePropPage::CRegistryValuePropPage(CRegistryValue* value)
    : CItemPropPage(IDD_REGVALUE_GENERAL, kName, "IDI_REGISTRY", DisplayName(*value)),
      value_(value) {}

std::string CRegistryValuePropPage::DisplayName(const CRegistryValue& value) {
  return value.IsDefault() ? kwf::LoadResString(kDefaultValue) : *value.m_name;
}

bool CRegistryValuePropPage::OnInitDialog() {
  CItemPropPage::OnInitDialog();
  HWND types = ::GetDlgItem(hwnd_, kType);
  for (int i = 0; i < kTypeCount; ++i) {
    ::SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kwf::LoadResString(kTypeTexts[i]).c_str()));
    if (kTypes[i] == value_->m_dwType)
      ::SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
  }
  // The default value of a key keeps its type.
  if (value_->IsDefault())
    ::EnableWindow(types, FALSE);

  std::string text;
  switch (value_->m_dwType) {
    case CRegistryValue::kString:
      text = value_->m_strData.value_or(std::string());
      break;
    case CRegistryValue::kNumber:
      text = kw::DecimalText(value_->m_dwNumber);
      break;
    case CRegistryValue::kBinary:
      if (value_->m_binary)
        text = kw::BinaryToRegText(*value_->m_binary);
      break;
  }
  SetControlText(kValue, text);
  Check(kNoOverwrite, (value_->m_dwFlags & CRegistryValue::kNoOverwrite) != 0);
  return true;
}

bool CRegistryValuePropPage::OnApply() {
  LRESULT sel = ::SendDlgItemMessageA(hwnd_, kType, CB_GETCURSEL, 0, 0);
  if (sel >= 0 && sel < kTypeCount && value_->SetType(kTypes[sel])) {
    std::string text = ControlText(kValue);
    switch (kTypes[sel]) {
      case CRegistryValue::kString:
        value_->SetString(text.c_str());
        break;
      case CRegistryValue::kBinary: {
        std::vector<uint8_t> bytes = kw::RegTextToBinary(text);
        value_->SetBinary(bytes.data(), static_cast<uint32_t>(bytes.size()));
        break;
      }
      case CRegistryValue::kNumber:
        value_->SetNumber(kw::ParseDecimal(text));
        break;
    }
  }
  if (::GetDlgItem(hwnd_, kNoOverwrite))
    value_->ChangeFlags(CRegistryValue::kNoOverwrite,
                        CheckedFlag(kNoOverwrite, CRegistryValue::kNoOverwrite));
  return true;
}

CRegistryValuePropSheet::CRegistryValuePropSheet(CRegistryValue* value)
    : CItemPropSheet(CRegistryValuePropPage::DisplayName(*value)), page_(value) {
  AddPage(&page_);
}

// CIniValuePropPage: the key is named in the tree, only the value is edited.

CIniValuePropPage::CIniValuePropPage(CIniValue* value)
    : CItemPropPage(IDD_INIVALUE_GENERAL, kName, "IDI_INIFILE", value->m_strKey),
      value_(value) {}

bool CIniValuePropPage::OnInitDialog() {
  CItemPropPage::OnInitDialog();
  SetControlText(kValue, value_->m_strValue);
  return true;
}

bool CIniValuePropPage::OnApply() {
  value_->SetValue(ControlText(kValue).c_str());
  return true;
}

CIniValuePropSheet::CIniValuePropSheet(CIniValue* value)
    : CItemPropSheet(value->m_strKey), page_(value) {
  AddPage(&page_);
}

// CProgramIconPropPage

CProgramIconPropPage::CProgramIconPropPage(CProgramIcon* icon, const CKitwrightProject* project)
    : CItemPropPage(IDD_ICON_GENERAL, kName, "IDI_PROGRAMGROUP", icon->m_strName),
      icon_(icon),
      project_(project) {}

bool CProgramIconPropPage::OnInitDialog() {
  CItemPropPage::OnInitDialog();
  HWND path = ::GetDlgItem(hwnd_, kPath);
  if (project_) {
    for (const std::string& choice : kw::ExecutablePaths(project_->m_pPackages))
      ::SendMessageA(path, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
  }
  SetControlText(kPath, icon_->m_strPath);
  SetControlText(kParameters, icon_->m_strParameters);
  SetControlText(kIconPath, icon_->m_strIconPath);
  SetControlText(kIconIndex, kw::DecimalText(icon_->m_dwIconIndex));
  SetControlText(kWorkingDir, icon_->m_strWorkingDir);
  return true;
}

bool CProgramIconPropPage::OnApply() {
  icon_->SetPath(ControlText(kPath).c_str());
  icon_->SetParameters(ControlText(kParameters).c_str());
  icon_->SetIconPath(ControlText(kIconPath).c_str());
  icon_->SetIconIndex(kw::ParseDecimal(ControlText(kIconIndex)));
  icon_->SetWorkingDir(ControlText(kWorkingDir).c_str());
  return true;
}

CProgramIconPropSheet::CProgramIconPropSheet(CProgramIcon* icon, const CKitwrightProject* project)
    : CItemPropSheet(icon->m_strName), page_(icon, project) {
  AddPage(&page_);
}

// COptionPropPage

COptionPropPage::COptionPropPage(CCustomSetupOption* option)
    : CItemPropPage(IDD_OPTION_GENERAL, kName, "IDI_FOLDER", option->m_strName.str()),
      option_(option) {}

bool COptionPropPage::OnInitDialog() {
  CItemPropPage::OnInitDialog();
  Check(kSelected, (option_->m_dwFlags & CCustomSetupOption::kSelected) != 0);
  SetControlText(kDescription, option_->m_strDescription.str());
  return true;
}

bool COptionPropPage::OnApply() {
  option_->ChangeFlags(CCustomSetupOption::kSelected,
                       CheckedFlag(kSelected, CCustomSetupOption::kSelected));
  option_->SetDescription(ControlText(kDescription, kOptionTextLimit).c_str());
  return true;
}

// COptionAdvancedPropPage

COptionAdvancedPropPage::COptionAdvancedPropPage(CCustomSetupOption* option)
    : CItemPropPage(IDD_OPTION_ADVANCED, kName, "IDI_FOLDER", option->m_strName.str()),
      option_(option) {}

bool COptionAdvancedPropPage::OnInitDialog() {
  CItemPropPage::OnInitDialog();
  SetControlText(kGroupId, kw::DecimalText(option_->m_dwGroupId));
  SetControlText(kPassword, option_->m_strPassword.str());
  Check(kSetupc, (option_->m_dwFlags & CCustomSetupOption::kSetupcPassword) != 0);
  // The template's text is the format of the id line.
  std::string format = ControlText(kUniqueId, kOptionTextLimit);
  std::vector<char> line(format.size() + 16);
  std::snprintf(line.data(), line.size(), format.c_str(), static_cast<int>(option_->m_dwUniqueId));
  SetControlText(kUniqueId, line.data());
  ShowSetupcState();
  return true;
}

void COptionAdvancedPropPage::ShowSetupcState() {
  bool setupc = Checked(kSetupc);
  ::ShowWindow(::GetDlgItem(hwnd_, kUniqueId), setupc ? SW_SHOW : SW_HIDE);
  ::EnableWindow(::GetDlgItem(hwnd_, kPassword), setupc ? FALSE : TRUE);
}

bool COptionAdvancedPropPage::OnCommand(WORD id, WORD code, HWND control) {
  if (id == kSetupc && code == BN_CLICKED) {
    ShowSetupcState();
    return true;
  }
  return false;
}

bool COptionAdvancedPropPage::OnApply() {
  option_->SetGroupId(kw::ParseDecimal(ControlText(kGroupId, kOptionTextLimit)));
  option_->SetPassword(ControlText(kPassword, kOptionTextLimit).c_str());
  option_->ChangeFlags(CCustomSetupOption::kSetupcPassword,
                       CheckedFlag(kSetupc, CCustomSetupOption::kSetupcPassword));
  return true;
}

COptionPropSheet::COptionPropSheet(CCustomSetupOption* option)
    : CItemPropSheet(option->m_strName.str()), general_(option), advanced_(option) {
  AddPage(&general_);
  AddPage(&advanced_);
}
