// The property sheets of single project items:
//   CFileItemPropSheet       CFileItemPropPage          a file, or several at once
//   CFileFolderPropSheet     CFileFolderPropPage        a package
//   CRegistryKeyPropSheet    CRegistryKeyPropPage       a registry key
//   CRegistryValuePropSheet  CRegistryValuePropPage     a registry value
//   CIniValuePropSheet       CIniValuePropPage          an INI file entry
//   CProgramIconPropSheet    CProgramIconPropPage       a shortcut
//   COptionPropSheet         COptionPropPage, COptionAdvancedPropPage
// A view builds a sheet on its item and runs DoModal: IDOK after OK, when
// every page has written its values into the item, else IDCANCEL with the
// item untouched (except a source picked with the file page's Browse).
// The sheets read and write their item only; the view marks the project.
#pragma once

#include "framework.h"
#include "model/items.h"

#include <string>
#include <utility>

class CKitwrightProject;

// A page with the items' common header: icon, name field, type text.
class CItemPropPage : public kwf::PropPage {
 public:
  CItemPropPage(UINT templateId, int nameId, const char* iconName, std::string displayName)
      : PropPage(templateId), nameId_(nameId), iconName_(iconName),
        displayName_(std::move(displayName)) {}

 protected:
  // Fills the header; pages call it first.
  bool OnInitDialog() override;
  // The text of a control, read as the item fields take it.
  std::string ControlText(int id, int limit = 260) const;
  void SetControlText(int id, const std::string& text);
  bool Checked(int id) const;
  // flag when the box is checked, else 0.
  uint32_t CheckedFlag(int id, uint32_t flag) const;
  void Check(int id, bool checked);

  int nameId_;
  const char* iconName_;
  std::string displayName_;
};

// A sheet captioned "<name> Properties" with OK and Cancel only.
class CItemPropSheet : public kwf::PropSheet {
 public:
  explicit CItemPropSheet(const std::string& displayName);
};

// ---------------------------------------------------------------- files

class CFileItemPropPage : public CItemPropPage {
 public:
  enum : int {
    kSource = 5376, kName = 5377, kDestination = 5378, kDescription = 5379, kType = 5380,
    kIcon = 5381, kCompress = 5392, kVersionCheck = 5393, kPassword = 5394,
    kSelfRegister = 5395, kShared = 5396, kNoUninstall = 5397, kNoOverwrite = 5398,
    kBrowse = 5408,
  };
  // multiple: the item stands for several files and its source is not shown.
  CFileItemPropPage(CFileItem* item, bool multiple);
  ~CFileItemPropPage() override;
  // The name a sheet on this item is captioned with.
  static std::string DisplayName(const CFileItem& item, bool multiple);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnApply() override;

 private:
  void ShowShellInfo();
  void Browse();

  CFileItem* item_;
  bool multiple_;
  HICON shellIcon_ = nullptr;
};

class CFileItemPropSheet : public CItemPropSheet {
 public:
  explicit CFileItemPropSheet(CFileItem* item, bool multiple = false);
  CFileItemPropPage& Page() { return page_; }

 private:
  CFileItemPropPage page_;
};

class CFileFolderPropPage : public CItemPropPage {
 public:
  enum : int { kName = 6656 };
  explicit CFileFolderPropPage(CFileFolder* package);
  static std::string DisplayName(const CFileFolder& package);

 private:
  CFileFolder* package_;
};

class CFileFolderPropSheet : public CItemPropSheet {
 public:
  explicit CFileFolderPropSheet(CFileFolder* package);
  CFileFolderPropPage& Page() { return page_; }

 private:
  CFileFolderPropPage page_;
};

// ---------------------------------------------------------------- registry

class CRegistryKeyPropPage : public CItemPropPage {
 public:
  enum : int { kName = 5888, kUninstall = 5889 };
  explicit CRegistryKeyPropPage(CRegistryKey* key);

 protected:
  bool OnInitDialog() override;
  bool OnApply() override;

 private:
  CRegistryKey* key_;
};

class CRegistryKeyPropSheet : public CItemPropSheet {
 public:
  explicit CRegistryKeyPropSheet(CRegistryKey* key);
  CRegistryKeyPropPage& Page() { return page_; }

 private:
  CRegistryKeyPropPage page_;
};

class CRegistryValuePropPage : public CItemPropPage {
 public:
  enum : int { kName = 5632, kValue = 5633, kType = 5634, kNoOverwrite = 5635 };
  // The type list: entry order and the type each entry stands for.
  static constexpr int kTypeCount = 4;
  static const uint32_t kTypes[kTypeCount];
  static const UINT kTypeTexts[kTypeCount];  // string ids
  explicit CRegistryValuePropPage(CRegistryValue* value);
  static std::string DisplayName(const CRegistryValue& value);

 protected:
  bool OnInitDialog() override;
  bool OnApply() override;

 private:
  CRegistryValue* value_;
};

class CRegistryValuePropSheet : public CItemPropSheet {
 public:
  explicit CRegistryValuePropSheet(CRegistryValue* value);
  CRegistryValuePropPage& Page() { return page_; }

 private:
  CRegistryValuePropPage page_;
};

// ---------------------------------------------------------------- INI files

class CIniValuePropPage : public CItemPropPage {
 public:
  enum : int { kName = 5632, kValue = 8705 };
  explicit CIniValuePropPage(CIniValue* value);

 protected:
  bool OnInitDialog() override;
  bool OnApply() override;

 private:
  CIniValue* value_;
};

class CIniValuePropSheet : public CItemPropSheet {
 public:
  explicit CIniValuePropSheet(CIniValue* value);
  CIniValuePropPage& Page() { return page_; }

 private:
  CIniValuePropPage page_;
};

// ---------------------------------------------------------------- program icons

class CProgramIconPropPage : public CItemPropPage {
 public:
  enum : int {
    kName = 8960, kPath = 8961, kParameters = 8962, kIconPath = 8963, kIconIndex = 8964,
    kWorkingDir = 8965,
  };
  // project: offers the .EXE files of its packages as paths (none when null).
  CProgramIconPropPage(CProgramIcon* icon, const CKitwrightProject* project);

 protected:
  bool OnInitDialog() override;
  bool OnApply() override;

 private:
  CProgramIcon* icon_;
  const CKitwrightProject* project_;
};

class CProgramIconPropSheet : public CItemPropSheet {
 public:
  CProgramIconPropSheet(CProgramIcon* icon, const CKitwrightProject* project);
  CProgramIconPropPage& Page() { return page_; }

 private:
  CProgramIconPropPage page_;
};

// ---------------------------------------------------------------- custom options

class COptionPropPage : public CItemPropPage {
 public:
  enum : int { kName = 9216, kSelected = 9232, kDescription = 9248 };
  explicit COptionPropPage(CCustomSetupOption* option);

 protected:
  bool OnInitDialog() override;
  bool OnApply() override;

 private:
  CCustomSetupOption* option_;
};

class COptionAdvancedPropPage : public CItemPropPage {
 public:
  enum : int { kName = 9216, kGroupId = 9249, kPassword = 9250, kSetupc = 9251, kUniqueId = 9252 };
  explicit COptionAdvancedPropPage(CCustomSetupOption* option);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnApply() override;

 private:
  // The unique id shows, and the password is SETUPC.DLL's, while the box is checked.
  void ShowSetupcState();

  CCustomSetupOption* option_;
};

class COptionPropSheet : public CItemPropSheet {
 public:
  explicit COptionPropSheet(CCustomSetupOption* option);
  COptionPropPage& General() { return general_; }
  COptionAdvancedPropPage& Advanced() { return advanced_; }

 private:
  COptionPropPage general_;
  COptionAdvancedPropPage advanced_;
};
