// The Program Icons tab.
#include "programiconsview.h"

#include "itemsheets.h"
#include "model/project.h"
#include "reslang.h"
#include "resids.h"

#include <shellapi.h>

#include <climits>
#include <vector>

namespace {

constexpr int kShortcutImagesInitial = 16;
constexpr int kShortcutImagesGrow = 4;

std::string Clip(std::string s, size_t most) {
  if (s.size() > most)
    s.resize(most);
  return s;
}

std::string RowText(const CProgramIcon& icon) { return Clip(icon.m_strName, 255); }

// Rows by their shortcuts, not their texts: no message per comparison.
int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM) {
  return lstrcmpiA(RowText(*reinterpret_cast<const CProgramIcon*>(a)).c_str(),
                   RowText(*reinterpret_cast<const CProgramIcon*>(b)).c_str());
}

// The shell draws file icons from Windows 4 on; before, a file's own first icon.
bool ShellIcons() {
  OSVERSIONINFOA os = {};
  os.dwOSVersionInfoSize = sizeof os;
  return ::GetVersionExA(&os) && os.dwMajorVersion > 3;
}

// The size of the shell's large icons.
SIZE LargeIconSize() {
  if (ShellIcons()) {
    SHFILEINFOA info = {};
    auto system = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                         SHGFI_SYSICONINDEX | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES));
    int cx = 0, cy = 0;
    if (system && ImageList_GetIconSize(system, &cx, &cy) && cx > 0 && cy > 0)
      return {cx, cy};
  }
  return {32, 32};
}

// The shell's shortcut arrow (its icon 30, drawn over the bottom left
// corner of a file icon); null where the shell has none. The caller
// destroys it.
HICON ShortcutArrow(int cx, int cy) {
  HMODULE shell = ::GetModuleHandleA("shell32.dll");
  return shell ? static_cast<HICON>(::LoadImageA(shell, MAKEINTRESOURCEA(30), IMAGE_ICON, cx, cy, 0)) : nullptr;
}

// The icon with the arrow over it, at the size of the given list's images.
// Composed here, not by the shell's link overlay: Wine's draws the arrow
// alone for icons with an alpha channel.
HICON WithArrow(HICON icon, HIMAGELIST like) {
  int cx = 0, cy = 0;
  ImageList_GetIconSize(like, &cx, &cy);
  HICON arrow = ShortcutArrow(cx, cy);
  if (!arrow)
    return nullptr;
  HICON composed = nullptr;
  HIMAGELIST both = ImageList_Create(cx, cy, ILC_COLOR4 | ILC_MASK, 2, 1);
  if (both && ImageList_AddIcon(both, icon) == 0 && ImageList_AddIcon(both, arrow) == 1) {
    if (HIMAGELIST merged = ImageList_Merge(both, 0, both, 1, 0, 0)) {
      composed = ImageList_GetIcon(merged, 0, ILD_NORMAL);
      ImageList_Destroy(merged);
    }
  }
  if (both)
    ImageList_Destroy(both);
  ::DestroyIcon(arrow);
  return composed;
}

// The icon of a shortcut's target, with the shortcut arrow from Windows 4
// on; null when there is no path or its icon cannot be read. The caller
// destroys it.
HICON TargetIcon(const std::string& path, HIMAGELIST like) {
  if (path.empty())
    return nullptr;
  if (!ShellIcons()) {
    HICON icon = ::ExtractIconA(::GetModuleHandleA(nullptr), path.c_str(), 0);
    // 1: the file is no program or icon file.
    return reinterpret_cast<UINT_PTR>(icon) > 1 ? icon : nullptr;
  }
  SHFILEINFOA info = {};
  if (!::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON) || !info.hIcon)
    return nullptr;
  if (HICON composed = WithArrow(info.hIcon, like)) {
    ::DestroyIcon(info.hIcon);
    return composed;
  }
  return info.hIcon;
}

// Shared by the system: never destroyed.
HICON DefaultIcon() { return theLanguageArray.LoadIcon(MAKEINTRESOURCEA(IDI_SHORTCUT)); }

// Puts the icon of a target into the list at index (-1: appended); the index, -1 on failure.
int PutTargetIcon(HIMAGELIST list, int index, const std::string& path) {
  int at = -1;
  if (HICON icon = TargetIcon(path, list)) {
    at = ImageList_ReplaceIcon(list, index, icon);
    ::DestroyIcon(icon);
  }
  if (at < 0)
    if (HICON icon = DefaultIcon())
      at = ImageList_ReplaceIcon(list, index, icon);
  return at;
}

}  // namespace

const kwf::Command<CProgramIconsView> CProgramIconsView::kCommands[] = {
    {kCmdExpand, kCmdExpand, &CProgramIconsView::OnExpand, &CProgramIconsView::GroupHasSubgroups},
    {kCmdNewFolder, kCmdNewFolder, &CProgramIconsView::OnNewFolder, &CProgramIconsView::Always},
    {kCmdNewIcon, kCmdNewIcon, &CProgramIconsView::OnNewIcon, &CProgramIconsView::Always},
    {kCmdDeleteGroup, kCmdDeleteGroup, &CProgramIconsView::OnDeleteGroup, &CProgramIconsView::GroupEditable},
    {kCmdRenameGroup, kCmdRenameGroup, &CProgramIconsView::OnRenameGroup, &CProgramIconsView::GroupEditable},
    {kCmdIconProperties, kCmdIconProperties, &CProgramIconsView::OnIconProperties,
     &CProgramIconsView::IconRowFocused},
    {kCmdDeleteIcon, kCmdDeleteIcon, &CProgramIconsView::OnDeleteIcon, &CProgramIconsView::IconRowFocused},
    {kCmdRenameIcon, kCmdRenameIcon, &CProgramIconsView::OnRenameIcon, &CProgramIconsView::IconRowFocused},
};

CProgramIconsView::CProgramIconsView() : CTabClientEx(IDD_PROGRAMICONS) {}

CProgramIconsView::~CProgramIconsView() {
  if (folderImages_)
    ImageList_Destroy(folderImages_);
  if (shortcutImages_)
    ImageList_Destroy(shortcutImages_);
}

bool CProgramIconsView::OnInitDialog() {
  CTabClientEx::OnInitDialog();
  groups_.Attach(::GetDlgItem(hwnd_, kGroupTree));
  icons_.Attach(::GetDlgItem(hwnd_, kIconList));
  folderImages_ = kwf::LoadImageStrip(IDB_ICONS_IMAGES, 16);
  const SIZE size = LargeIconSize();
  shortcutImages_ =
      ImageList_Create(size.cx, size.cy, ILC_COLOR4 | ILC_MASK, kShortcutImagesInitial, kShortcutImagesGrow);
  groups_.SetImageList(folderImages_);
  // The list shares it (LVS_SHAREIMAGELISTS): the view destroys it.
  icons_.SetImageList(shortcutImages_, LVSIL_NORMAL);
  return false;
}

void CProgramIconsView::UpdateFromProject(CKitwrightProject* project, uint32_t hint) {
  project_ = project;
  if (hint & 0x80000000u)
    return;
  if (hwnd_)
    RebuildTree();
}

std::string CProgramIconsView::GroupLabel(const CProgramGroup& group) {
  if (group.m_dwFlags & CProgramGroup::kDefaultFolder)
    return kwf::LoadResString(IDS_GROUP_DEFAULT);
  if (group.m_dwFlags & CProgramGroup::kFixed)
    return kwf::LoadResString(IDS_GROUP_PROGRAMS);
  return Clip(group.m_strName, 255);
}

CProgramGroup* CProgramIconsView::GroupOf(HTREEITEM item) const {
  return item ? reinterpret_cast<CProgramGroup*>(groups_.GetItemData(item)) : nullptr;
}

CProgramGroup* CProgramIconsView::SelectedGroup() const { return GroupOf(groups_.GetSelection()); }

CProgramIcon* CProgramIconsView::FocusedIcon() const {
  int row = icons_.GetFocusedSelected();
  return row >= 0 ? reinterpret_cast<CProgramIcon*>(icons_.GetItemData(row)) : nullptr;
}

void CProgramIconsView::RebuildTree() {
  rebuilding_ = true;
  // The rows may point at shortcuts of a project already gone: never read them.
  icons_.DeleteAllItems();
  ImageList_RemoveAll(shortcutImages_);
  ::SendMessageA(groups_.Handle(), WM_SETREDRAW, FALSE, 0);
  groups_.DeleteAllItems();
  if (CProgramGroup* root = project_ ? project_->m_pGroups : nullptr) {
    auto insert = [this](HTREEITEM parent, CProgramGroup* g) {
      return groups_.InsertItem(parent, TVI_LAST, GroupLabel(*g).c_str(), kImageClosed, kImageOpen,
                                reinterpret_cast<LPARAM>(g));
    };
    // Depth first without recursion: each level keeps the next group to visit.
    struct Level {
      HTREEITEM item;
      CProgramGroup* next;
    };
    std::vector<Level> levels{{insert(TVI_ROOT, root), root->m_pChild}};
    while (!levels.empty()) {
      CProgramGroup* g = levels.back().next;
      if (!g) {
        levels.pop_back();
        continue;
      }
      levels.back().next = g->m_pNext;
      HTREEITEM item = insert(levels.back().item, g);
      levels.push_back({item, g->m_pChild});
    }
  }
  ::SendMessageA(groups_.Handle(), WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(groups_.Handle(), nullptr, TRUE);
  rebuilding_ = false;
}

int CProgramIconsView::AddShortcutImage(const CProgramIcon& icon) {
  return PutTargetIcon(shortcutImages_, -1, icon.m_strPath);
}

int CProgramIconsView::AppendIconRow(CProgramIcon* icon, int image) {
  // An index past the end appends (a sorted list finds the place itself).
  return icons_.InsertItem(INT_MAX, RowText(*icon).c_str(), image, reinterpret_cast<LPARAM>(icon));
}

// A sorted list inserts each row in order, which grows with the square of
// the rows: appended unsorted and sorted once instead.
void CProgramIconsView::FillIconList() {
  HWND list = icons_.Handle();
  ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  const LONG_PTR style = ::GetWindowLongPtrA(list, GWL_STYLE);
  ::SetWindowLongPtrA(list, GWL_STYLE, style & ~LVS_SORTASCENDING);
  icons_.DeleteAllItems();
  // No row is left to show an image: the images of the previous folder go too.
  ImageList_RemoveAll(shortcutImages_);
  if (CProgramGroup* group = SelectedGroup())
    for (CProgramIcon* icon = group->m_pIcons; icon; icon = icon->m_pNext)
      AppendIconRow(icon, AddShortcutImage(*icon));
  ::SendMessageA(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&CompareRows));
  ::SetWindowLongPtrA(list, GWL_STYLE, style);
  ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

void CProgramIconsView::Modified() {
  if (project_)
    project_->SetModifiedFlag(true);
}

// Rules

bool CProgramIconsView::GroupHasSubgroups(UINT) const {
  CProgramGroup* g = SelectedGroup();
  return g && g->m_pChild;
}

bool CProgramIconsView::GroupEditable(UINT) const {
  CProgramGroup* g = SelectedGroup();
  return g && !(g->m_dwFlags & CProgramGroup::kFixed);
}

bool CProgramIconsView::IconRowFocused(UINT) const { return icons_.GetFocusedSelected() >= 0; }

bool CProgramIconsView::CommandEnabled(UINT id) const {
  bool enabled = false;
  return kwf::QueryCommand(this, kCommands, id, &enabled) && enabled;
}

// The menus' pop-ups ask the page through the tab view as they open.
bool CProgramIconsView::OnUpdateCommand(UINT id, bool* enabled) {
  return kwf::QueryCommand(this, kCommands, id, enabled);
}

bool CProgramIconsView::RunViewCommand(UINT id) { return project_ && kwf::RunCommand(this, kCommands, id); }

// Commands

void CProgramIconsView::OnExpand(UINT) {
  if (HTREEITEM item = groups_.GetSelection())
    groups_.Expand(item, TVE_TOGGLE);
}

void CProgramIconsView::OnNewFolder(UINT) {
  HTREEITEM parent = groups_.GetSelection();
  CProgramGroup* group = GroupOf(parent);
  if (!group)
    return;
  CProgramGroup* child = group->AddChildGroup(kwf::LoadResString(IDS_NEW_FOLDER).c_str(), 0);
  HTREEITEM item = groups_.InsertItem(parent, TVI_LAST, GroupLabel(*child).c_str(), kImageClosed, kImageOpen,
                                      reinterpret_cast<LPARAM>(child));
  groups_.Expand(parent);
  groups_.Select(item);
  Modified();
  // The edit gets its subclass where the tree announces it (TVN_BEGINLABELEDIT).
  ::SetFocus(groups_.Handle());
  groups_.EditLabel(item);
}

void CProgramIconsView::OnNewIcon(UINT) {
  CProgramGroup* group = SelectedGroup();
  if (!group)
    return;
  CProgramIcon* icon = group->AddIcon(kwf::LoadResString(IDS_NEW_ICON).c_str(), "");
  int row = AppendIconRow(icon, AddShortcutImage(*icon));
  if (row >= 0) {
    icons_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    icons_.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    icons_.EnsureVisible(row);
  }
  Modified();
}

void CProgramIconsView::OnDeleteGroup(UINT) {
  HTREEITEM item = groups_.GetSelection();
  CProgramGroup* group = GroupOf(item);
  CProgramGroup* parent = GroupOf(groups_.GetParent(item));
  if (!group || !parent || (group->m_dwFlags & CProgramGroup::kFixed))
    return;
  // The rows show the group's shortcuts: gone before the group is.
  icons_.DeleteAllItems();
  groups_.DeleteItem(item);
  parent->RemoveChildGroup(group);
  FillIconList();
  Modified();
}

void CProgramIconsView::OnRenameGroup(UINT) {
  if (HTREEITEM item = groups_.GetSelection()) {
    ::SetFocus(groups_.Handle());
    groups_.EditLabel(item);
  }
}

void CProgramIconsView::OnIconProperties(UINT) {
  int row = icons_.GetFocusedSelected();
  CProgramIcon* icon = FocusedIcon();
  if (!icon)
    return;
  CProgramIconPropSheet sheet(icon, project_);
  if (sheet.DoModal(hwnd_) != IDOK)
    return;
  LVITEMA it = {};
  it.mask = LVIF_IMAGE;
  it.iItem = row;
  ::SendMessageA(icons_.Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  // In place: the other rows keep their images.
  if (it.iImage >= 0 && it.iImage < ImageList_GetImageCount(shortcutImages_))
    PutTargetIcon(shortcutImages_, it.iImage, icon->m_strPath);
  ::SendMessageA(icons_.Handle(), LVM_REDRAWITEMS, row, row);
  ::UpdateWindow(icons_.Handle());
  Modified();
}

void CProgramIconsView::OnDeleteIcon(UINT) {
  CProgramGroup* group = SelectedGroup();
  int row = icons_.GetFocusedSelected();
  if (!group || row < 0)
    return;
  auto* icon = reinterpret_cast<CProgramIcon*>(icons_.GetItemData(row));
  icons_.DeleteItem(row);
  group->RemoveIcon(icon);
  Modified();
}

void CProgramIconsView::OnRenameIcon(UINT) {
  int row = icons_.GetFocusedSelected();
  if (row >= 0) {
    ::SetFocus(icons_.Handle());
    icons_.EditLabel(row);
  }
}

// Messages

bool CProgramIconsView::OnNotify(NMHDR* hdr, LRESULT* result) {
  *result = 0;
  if (!hdr)
    return false;
  if (hdr->idFrom == kGroupTree) {
    switch (hdr->code) {
      case TVN_SELCHANGEDA:
        if (!rebuilding_)
          FillIconList();
        return true;
      case TVN_BEGINLABELEDITA: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(hdr);
        CProgramGroup* g = GroupOf(info->item.hItem);
        *result = (!g || (g->m_dwFlags & CProgramGroup::kFixed)) ? TRUE : FALSE;
        if (!*result)
          kwf::SubclassLabelEdit(groups_.GetEditControl());
        return true;
      }
      case TVN_ENDLABELEDITA: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(hdr);
        CProgramGroup* g = GroupOf(info->item.hItem);
        // An empty name would be no folder at setup time: kept as before.
        if (!info->item.pszText || !*info->item.pszText || !g || (g->m_dwFlags & CProgramGroup::kFixed))
          return true;
        g->SetName(info->item.pszText);
        groups_.SetItemText(info->item.hItem, GroupLabel(*g).c_str());
        Modified();
        return true;
      }
      case TVN_KEYDOWN: {
        WORD key = reinterpret_cast<NMTVKEYDOWN*>(hdr)->wVKey;
        if (key == VK_RETURN)
          RunViewCommand(kCmdExpand);
        else if (key == VK_DELETE)
          RunViewCommand(kCmdDeleteGroup);
        else if (key == VK_F2)
          RunViewCommand(kCmdRenameGroup);
        return true;
      }
    }
  } else if (hdr->idFrom == kIconList) {
    switch (hdr->code) {
      case LVN_BEGINLABELEDITA:
        kwf::SubclassLabelEdit(icons_.GetEditControl());
        return true;
      case LVN_ENDLABELEDITA: {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(hdr);
        auto* icon = reinterpret_cast<CProgramIcon*>(icons_.GetItemData(info->item.iItem));
        Modified();
        // An empty caption would be a shortcut without a name: kept as before.
        if (!info->item.pszText || !*info->item.pszText || !icon)
          return true;
        icon->SetName(info->item.pszText);
        icons_.SetItemText(info->item.iItem, 0, RowText(*icon).c_str());
        return true;
      }
      case LVN_KEYDOWN: {
        WORD key = reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey;
        if (key == VK_DELETE)
          RunViewCommand(kCmdDeleteIcon);
        else if (key == VK_F2)
          RunViewCommand(kCmdRenameIcon);
        return true;
      }
      case NM_DBLCLK:
      case NM_RETURN: RunViewCommand(kCmdIconProperties); return true;
    }
  }
  return false;
}

void CProgramIconsView::OnContextMenu(HWND target, POINT screen) {
  const bool tree = target == groups_.Handle();
  if ((!tree && target != icons_.Handle()) || !project_)
    return;
  // From the keyboard: at the selection, else at the control's corner.
  if (screen.x == -1 && screen.y == -1) {
    RECT r = {};
    bool placed = false;
    if (tree) {
      if (HTREEITEM item = groups_.GetSelection())
        placed = groups_.GetItemRect(item, &r, true);
    } else if (int row = icons_.GetFocusedSelected(); row >= 0) {
      r.left = LVIR_LABEL;
      placed = ::SendMessageA(icons_.Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r)) != 0;
    }
    if (!placed)
      r = {};
    screen = {r.left, r.bottom};
    ::ClientToScreen(target, &screen);
  }
  auto rule = [](void* view, UINT id) { return static_cast<CProgramIconsView*>(view)->CommandEnabled(id); };
  auto label = [](void* view, UINT id) -> UINT {
    if (id != kCmdExpand)
      return 0;
    auto* self = static_cast<CProgramIconsView*>(view);
    return self->groups_.IsExpanded(self->groups_.GetSelection()) ? IDS_COLLAPSE : IDS_EXPAND;
  };
  UINT chosen = kwf::TrackContextMenu(hwnd_, tree ? IDM_ICONS_TREE : IDM_ICONS_LIST, 0, screen,
                                      tree ? kCmdExpand : kCmdIconProperties, rule, this, label);
  if (chosen)
    RunViewCommand(chosen);
}

bool CProgramIconsView::OnCommand(WORD id, WORD code, HWND control) {
  // Enter in the tree or the list reaches the page as its OK: the dialog
  // manager keeps the key from the controls.
  if (id == IDOK && !control && project_) {
    HWND focus = ::GetFocus();
    if (focus == groups_.Handle()) {
      RunViewCommand(kCmdExpand);
      return true;
    }
    if (focus == icons_.Handle()) {
      RunViewCommand(kCmdIconProperties);
      return true;
    }
  }
  if (!control && RunViewCommand(id))
    return true;
  return CTabClientEx::OnCommand(id, code, control);
}

bool CProgramIconsView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (msg) {
    case WM_NOTIFY: {
      LRESULT r = 0;
      if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), &r))
        break;
      ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, r);
      *result = TRUE;
      return true;
    }
    case WM_CONTEXTMENU: {
      POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      OnContextMenu(reinterpret_cast<HWND>(wParam), at);
      *result = TRUE;
      return true;
    }
  }
  return CTabClientEx::OnMessage(msg, wParam, lParam, result);
}
