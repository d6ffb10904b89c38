// The INI Files tab: INI files, their sections and keys.
//   CIniView                        the page on template 27
//   CIniView::CTVLabelEditSubclass  Enter and Escape for the label edits
#pragma once

#include "commands.h"
#include "ctrls.h"
#include "tabview.h"

#include <string>

class CIniFile;
class CIniSection;
class CIniValue;
class CKwItem;

class CIniView : public CTabClientEx {
 public:
  enum : int { kIniTree = 8448, kKeyList = 8449 };
  // Commands of the two context menus.
  enum : UINT {
    kCmdNewIniFile = 8450, kCmdNewSection = 8451, kCmdNewKey = 8452, kCmdDeleteItem = 8453,
    kCmdDeleteKey = 8454, kCmdExpand = 8455, kCmdRenameItem = 8456, kCmdRenameKey = 8457,
    kCmdKeyProperties = 8458,
  };
  // Images of the strip.
  enum : int { kImageFile = 0, kImageFileOpen = 1, kImageKey = 2, kImageSection = 3, kImageSectionOpen = 4 };

  // Makes a label edit take Enter and Escape inside the dialog.
  class CTVLabelEditSubclass {
   public:
    void Attach(HWND edit) { kwf::SubclassLabelEdit(edit); }
  };

  CIniView();
  ~CIniView() override;

  // Attributes
  kwf::TreeView& Tree() { return tree_; }
  kwf::ListView& Keys() { return keys_; }
  // The selected tree item's file or section; null when it is the other kind or none.
  CIniFile* SelectedFile() const;
  CIniSection* SelectedSection() const;
  // The key of the focused selected row, or null.
  CIniValue* FocusedKey() const;

  // Operations
  // Runs a command of the menus; false when it is none of the view's.
  bool RunViewCommand(UINT id);
  bool CommandEnabled(UINT id) const;
  // What a section's label shows once an edit on it has ended.
  static std::string BracketedName(const std::string& name);
  // The texts of a key's row.
  static std::string KeyText(const CIniValue& key);
  static std::string QuotedValue(const CIniValue& key);

  // Overridables
  void UpdateFromProject(CKitwrightProject* project, uint32_t hint) override;
  // The menus' own pop-up handling asks here too, so it keeps the states.
  bool OnUpdateCommand(UINT id, bool* enabled) override;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  static const kwf::Command<CIniView> kCommands[];
  CKwItem* ItemObject(HTREEITEM item) const;
  void RebuildTree();
  void FillKeyList();
  void SortRows();
  int AppendKeyRow(CIniValue* key);
  void StartTreeEdit(HTREEITEM item);
  bool OnNotify(NMHDR* hdr, LRESULT* result);
  bool OnTreeEndEdit(const NMTVDISPINFOA& info);
  bool OnListEndEdit(const NMLVDISPINFOA& info);
  void OnContextMenu(HWND target, POINT screen);
  void Modified();

  // Commands and rules
  bool Always(UINT) const { return true; }
  bool HasChildren(UINT) const;
  bool NothingOrFileSelected(UINT) const;
  bool ItemSelected(UINT) const;
  bool FileSelected(UINT) const;
  bool SectionSelected(UINT) const;
  bool RowSelected(UINT) const;
  void OnExpand(UINT);
  void OnNewIniFile(UINT);
  void OnNewSection(UINT);
  void OnNewKey(UINT);
  void OnDeleteItem(UINT);
  void OnRenameItem(UINT);
  void OnDeleteKey(UINT);
  void OnRenameKey(UINT);
  void OnKeyProperties(UINT);

  CKitwrightProject* project_ = nullptr;
  kwf::TreeView tree_;
  kwf::ListView keys_;
  HIMAGELIST images_ = nullptr;
  CTVLabelEditSubclass labelEdit_;
  bool rebuilding_ = false;     // tree items point at objects that may be gone
};
