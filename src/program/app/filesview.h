// The Files tab: packages, their files and the setup types.
//   CFilesView                     the page on template 12
//   CFilesView::CDragDropTreeCtrl  the package tree, taking shell drops
//   CFilesView::CDragDropListCtrl  the file list, taking shell drops
#pragma once

#include "commands.h"
#include "ctrls.h"
#include "tabview.h"

#include <oleidl.h>

#include <string>
#include <vector>

class CFileFolder;
class CFileItem;
class CCustomSetupOption;

class CFilesView : public CTabClientEx {
 public:
  enum : int { kPackageTree = 3072, kFileList = 3073, kTypesTree = 3082, kTabs = 3083 };
  // Commands of the three context menus.
  enum : UINT {
    kCmdNewPackage = 3074, kCmdNewFile = 3075, kCmdDeletePackage = 3076, kCmdDeleteFiles = 3077,
    kCmdRenamePackage = 3078, kCmdRenameFile = 3079, kCmdFileProperties = 3080,
    kCmdPackageProperties = 3081, kCmdNewOption = 3085, kCmdRenameOption = 3086,
    kCmdOptionProperties = 3087, kCmdDeleteType = 3088,
  };
  // Item values of the fixed setup-types nodes.
  enum : LPARAM { kNodeTypical = 1, kNodeCompact = 2, kNodeCustom = 3, kNodeAlways = 4 };

  // A control that hands the shell's file drops to the view.
  class CDragDropTreeCtrl : public kwf::TreeView {
   public:
    void Attach(HWND hwnd);
  };
  class CDragDropListCtrl : public kwf::ListView {
   public:
    void Attach(HWND hwnd);
  };

  CFilesView();
  ~CFilesView() override;

  // Attributes
  CDragDropTreeCtrl& Packages() { return packages_; }
  CDragDropListCtrl& Files() { return files_; }
  kwf::TreeView& Types() { return types_; }
  // The package selected in the package tree, or null.
  CFileFolder* SelectedPackage() const;

  // Operations
  // Runs a command of the menus; false when it is none of the view's.
  bool RunViewCommand(UINT id);
  bool CommandEnabled(UINT id) const;
  // The OLE drop target registered for a control of the view, or null.
  static IDropTarget* ShellDropTargetOf(HWND control);
  // What a shell drop on a control does (paths as dropped).
  void DropOnFileList(const std::vector<std::string>& paths);
  void DropOnPackageTree(POINT client, const std::vector<std::string>& paths);
  // Adds every file below a folder with destinations under %INSTALLDIR%
  // that follow the folder's path below base.
  void AddDirectoryTree(const std::string& folder, const std::string& base, CFileFolder* package);
  // Adds one file (null destination: %INSTALLDIR%) to a package (null: the selected one).
  CFileItem* AddFileByPath(const std::string& path, const char* destination, CFileFolder* package);

  // Overridables
  void UpdateFromProject(CKitwrightProject* project, uint32_t hint) override;
  // The menus' own pop-up handling asks here too, so it keeps the states.
  bool OnUpdateCommand(UINT id, bool* enabled) override;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  static const kwf::Command<CFilesView> kCommands[];
  using FileList = std::vector<std::pair<std::string, std::string>>;  // source, destination
  void CollectTree(const std::string& folder, const std::string& base, FileList& out);
  void AddCollected(const FileList& files, CFileFolder* package);
  void RebuildTrees();
  void AddToTypeNodes(CFileFolder* package);
  void FillFileList();
  static int CALLBACK CompareFiles(LPARAM a, LPARAM b, LPARAM);
  void AppendFileRow(CFileItem* file);
  void ShowTab(int index);
  std::string PackageLabel(const CFileFolder* package) const;
  HTREEITEM AddTypeItem(HTREEITEM parent, const std::string& text, LPARAM value);
  // Every setup-types item whose value is v, depth-first, children of a match skipped.
  void FindTypeItems(HTREEITEM from, LPARAM v, std::vector<HTREEITEM>& out) const;
  bool OnNotify(NMHDR* hdr, LRESULT* result);
  void OnContextMenu(HWND target, POINT screen);
  void Modified();
  void StartLabelEdit(kwf::TreeView& tree, HTREEITEM item);
  // Drag of a package onto a setup type.
  void BeginDrag(const NMTREEVIEWA& info);
  void DragMove(POINT viewClient);
  void EndDrag(POINT viewClient);
  HTREEITEM TypesItemAt(POINT viewClient) const;

  // Commands and rules
  bool Always(UINT) const { return true; }
  bool PackageEditable(UINT) const;
  bool FileRowSelected(UINT) const;
  bool CustomNodeSelected(UINT) const;
  bool OptionSelected(UINT) const;
  bool TypeDeletable(UINT) const;
  void OnNewPackage(UINT);
  void OnNewFile(UINT);
  void OnDeletePackage(UINT);
  void OnRenamePackage(UINT);
  void OnPackageProperties(UINT);
  void OnDeleteFiles(UINT);
  void OnRenameFile(UINT);
  void OnFileProperties(UINT);
  void OnNewOption(UINT);
  void OnRenameOption(UINT);
  void OnOptionProperties(UINT);
  void OnDeleteType(UINT);

  CKitwrightProject* project_ = nullptr;
  CDragDropTreeCtrl packages_;
  CDragDropListCtrl files_;
  kwf::TreeView types_;
  kwf::TabControl tabs_;
  HIMAGELIST packageImages_ = nullptr;
  HIMAGELIST fileImages_ = nullptr;
  HTREEITEM nodes_[5] = {};  // by item value 1..4
  bool dragging_ = false;
  HIMAGELIST dragImage_ = nullptr;
  HTREEITEM dragItem_ = nullptr;
  HTREEITEM dropItem_ = nullptr;
};
