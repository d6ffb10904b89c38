// The Program Icons tab: program folders and their shortcuts.
//   CProgramIconsView  the page on template 18: the folder tree and the
//                      large-icon list of the selected folder's shortcuts
#pragma once

#include "commands.h"
#include "ctrls.h"
#include "tabview.h"

#include <string>

class CProgramGroup;
class CProgramIcon;

class CProgramIconsView : public CTabClientEx {
 public:
  enum : int { kGroupTree = 5120, kIconList = 5121 };
  // Commands of the two context menus.
  enum : UINT {
    kCmdNewFolder = 5122, kCmdNewIcon = 5123, kCmdExpand = 5124, kCmdRenameGroup = 5125,
    kCmdRenameIcon = 5126, kCmdDeleteGroup = 5127, kCmdDeleteIcon = 5128, kCmdIconProperties = 5129,
  };
  // Images of the folder strip.
  enum : int { kImageClosed = 0, kImageOpen = 1 };

  CProgramIconsView();
  ~CProgramIconsView() override;

  // Attributes
  kwf::TreeView& Groups() { return groups_; }
  kwf::ListView& Icons() { return icons_; }
  // The list's normal image list: one image per shortcut shown.
  HIMAGELIST ShortcutImages() const { return shortcutImages_; }
  // The group selected in the tree, or null.
  CProgramGroup* SelectedGroup() const;
  // The shortcut of the focused and selected row, or null.
  CProgramIcon* FocusedIcon() const;
  // The label a group shows in the tree.
  static std::string GroupLabel(const CProgramGroup& group);

  // Operations
  // Runs a command of the menus; false when it is none of the view's.
  bool RunViewCommand(UINT id);
  bool CommandEnabled(UINT id) const;

  // Overridables
  void UpdateFromProject(CKitwrightProject* project, uint32_t hint) override;
  bool OnUpdateCommand(UINT id, bool* enabled) override;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  static const kwf::Command<CProgramIconsView> kCommands[];
  CProgramGroup* GroupOf(HTREEITEM item) const;
  void RebuildTree();
  void FillIconList();
  int AppendIconRow(CProgramIcon* icon, int image);
  // Adds the image a shortcut shows; its index.
  int AddShortcutImage(const CProgramIcon& icon);
  bool OnNotify(NMHDR* hdr, LRESULT* result);
  void OnContextMenu(HWND target, POINT screen);
  void Modified();

  // Commands and rules
  bool Always(UINT) const { return true; }
  bool GroupHasSubgroups(UINT) const;
  bool GroupEditable(UINT) const;
  bool IconRowFocused(UINT) const;
  void OnExpand(UINT);
  void OnNewFolder(UINT);
  void OnNewIcon(UINT);
  void OnDeleteGroup(UINT);
  void OnRenameGroup(UINT);
  void OnIconProperties(UINT);
  void OnDeleteIcon(UINT);
  void OnRenameIcon(UINT);

  CKitwrightProject* project_ = nullptr;
  kwf::TreeView groups_;
  kwf::ListView icons_;
  HIMAGELIST folderImages_ = nullptr;
  HIMAGELIST shortcutImages_ = nullptr;
  // While the tree is rebuilt its items may point at groups already gone.
  bool rebuilding_ = false;
};
