// The Registry tab: the keys and values that the setup writes, edited as in
// the system's registry editor.
//   CRegistryView                        the page on template 17
//   CRegistryView::CTVLabelEditSubclass  Enter and Escape for the tree's label edit
#pragma once

#include "commands.h"
#include "ctrls.h"
#include "tabview.h"

#include <string>

class CRegistryKey;
class CRegistryValue;

class CRegistryView : public CTabClientEx {
 public:
  enum : int { kKeyTree = 4352, kValueList = 4353 };
  // Commands of the two context menus.
  enum : UINT {
    kCmdNewKey = 4354, kCmdNewString = 4355, kCmdNewBinary = 4356, kCmdNewDword = 4357,
    kCmdExpand = 4358, kCmdRenameKey = 4359, kCmdDeleteKey = 4360, kCmdRenameValue = 4362,
    kCmdDeleteValue = 4363, kCmdValueProperties = 4364, kCmdKeyProperties = 4365,
  };

  // Makes a label edit of the tree take Enter and Escape.
  class CTVLabelEditSubclass {
   public:
    void Attach(HWND edit) { kwf::SubclassLabelEdit(edit); }
  };

  CRegistryView();
  ~CRegistryView() override;

  // Attributes
  kwf::TreeView& Keys() { return keys_; }
  kwf::ListView& Values() { return values_; }
  CRegistryKey* SelectedKey() const;
  // The value of the focused selected row, or null.
  CRegistryValue* FocusedValue() const;

  // Operations
  // Runs a command of the menus; false when it is none of the view's.
  bool RunViewCommand(UINT id);
  bool CommandEnabled(UINT id) const;
  // What a value's row shows: its name and its data.
  static std::string NameText(const CRegistryValue& value);
  static std::string DataText(const CRegistryValue& value);

  // Overridables
  void UpdateFromProject(CKitwrightProject* project, uint32_t hint) override;
  // The menus' own pop-up handling asks here too, so it keeps the states.
  bool OnUpdateCommand(UINT id, bool* enabled) override;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  static const kwf::Command<CRegistryView> kCommands[];
  void RebuildTree();
  void AddKeyItems(HTREEITEM parent, CRegistryKey* key);
  void FillValueList();
  static int CALLBACK CompareValues(LPARAM a, LPARAM b, LPARAM);
  int AppendValueRow(CRegistryValue* value);
  void ShowValue(int row, const CRegistryValue& value);
  bool OnNotify(NMHDR* hdr, LRESULT* result);
  void OnContextMenu(HWND target, POINT screen);
  void Modified();
  void StartKeyEdit(HTREEITEM item);

  // Commands and rules
  bool Always(UINT) const { return true; }
  bool KeyEditable(UINT) const;
  bool KeyHasChildren(UINT) const;
  bool RowFocused(UINT) const;
  void OnExpand(UINT);
  void OnNewKey(UINT);
  void OnNewValue(UINT id);
  void OnDeleteKey(UINT);
  void OnRenameKey(UINT);
  void OnKeyProperties(UINT);
  void OnDeleteValue(UINT);
  void OnRenameValue(UINT);
  void OnValueProperties(UINT);

  CKitwrightProject* project_ = nullptr;
  kwf::TreeView keys_;
  kwf::ListView values_;
  CTVLabelEditSubclass editSubclass_;
  HIMAGELIST images_ = nullptr;
};
