// The INI Files tab.
#include "iniview.h"

#include "itemsheets.h"
#include "model/project.h"
#include "reslang.h"
#include "resids.h"

#include <climits>
#include <cstring>

namespace {

constexpr size_t kFileNameMost = 259;
constexpr size_t kKeyNameMost = 255;

POINT PointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

std::string Clip(const std::string& s, size_t most) { return s.size() > most ? s.substr(0, most) : s; }

bool IsKind(const CKwItem* item, const char* className) {
  return item && std::strcmp(item->GetRuntimeClass().name, className) == 0;
}

LPARAM DataOf(CKwItem* item) { return reinterpret_cast<LPARAM>(item); }

// The order of a sorted list, by the rows' keys: no message per comparison.
int CALLBACK CompareKeyRows(LPARAM a, LPARAM b, LPARAM) {
  const std::string& x = reinterpret_cast<const CIniValue*>(a)->m_strKey;
  const std::string& y = reinterpret_cast<const CIniValue*>(b)->m_strKey;
  if (x.size() <= kKeyNameMost && y.size() <= kKeyNameMost)
    return lstrcmpiA(x.c_str(), y.c_str());
  return lstrcmpiA(Clip(x, kKeyNameMost).c_str(), Clip(y, kKeyNameMost).c_str());
}

}  // namespace

const kwf::Command<CIniView> CIniView::kCommands[] = {
    {kCmdExpand, kCmdExpand, &CIniView::OnExpand, &CIniView::HasChildren},
    {kCmdNewIniFile, kCmdNewIniFile, &CIniView::OnNewIniFile, &CIniView::NothingOrFileSelected},
    {kCmdNewSection, kCmdNewSection, &CIniView::OnNewSection, &CIniView::FileSelected},
    {kCmdNewKey, kCmdNewKey, &CIniView::OnNewKey, &CIniView::SectionSelected},
    {kCmdDeleteItem, kCmdDeleteItem, &CIniView::OnDeleteItem, &CIniView::Always},
    {kCmdRenameItem, kCmdRenameItem, &CIniView::OnRenameItem, &CIniView::ItemSelected},
    {kCmdDeleteKey, kCmdDeleteKey, &CIniView::OnDeleteKey, &CIniView::RowSelected},
    {kCmdRenameKey, kCmdRenameKey, &CIniView::OnRenameKey, &CIniView::RowSelected},
    {kCmdKeyProperties, kCmdKeyProperties, &CIniView::OnKeyProperties, &CIniView::RowSelected},
};

CIniView::CIniView() : CTabClientEx(IDD_INIFILES) {}

CIniView::~CIniView() {
  if (images_)
    ImageList_Destroy(images_);
}

bool CIniView::OnInitDialog() {
  CTabClientEx::OnInitDialog();
  tree_.Attach(::GetDlgItem(hwnd_, kIniTree));
  keys_.Attach(::GetDlgItem(hwnd_, kKeyList));
  // The tree and the list show one image list, which the view owns: the
  // list must not destroy it with itself.
  HWND list = keys_.Handle();
  ::SetWindowLongPtrA(list, GWL_STYLE, ::GetWindowLongPtrA(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
  images_ = kwf::LoadImageStrip(IDB_INI_IMAGES, 16);
  tree_.SetImageList(images_);
  keys_.SetImageList(images_, LVSIL_SMALL);
  RECT r;
  ::GetClientRect(list, &r);
  const int width = r.right - r.left;
  keys_.InsertColumn(0, kwf::LoadResString(IDS_INI_COL_KEY).c_str(), width * 30 / 100);
  keys_.InsertColumn(1, kwf::LoadResString(IDS_INI_COL_VALUE).c_str(), width * 70 / 100);
  ::EnableWindow(list, FALSE);
  return false;
}

void CIniView::UpdateFromProject(CKitwrightProject* project, uint32_t hint) {
  project_ = project;
  if (hint & 0x80000000u)
    return;
  if (hwnd_)
    RebuildTree();
}

// Attributes

CKwItem* CIniView::ItemObject(HTREEITEM item) const {
  return item ? reinterpret_cast<CKwItem*>(tree_.GetItemData(item)) : nullptr;
}

CIniFile* CIniView::SelectedFile() const {
  CKwItem* o = ItemObject(tree_.GetSelection());
  return IsKind(o, "CIniFile") ? static_cast<CIniFile*>(o) : nullptr;
}

CIniSection* CIniView::SelectedSection() const {
  CKwItem* o = ItemObject(tree_.GetSelection());
  return IsKind(o, "CIniSection") ? static_cast<CIniSection*>(o) : nullptr;
}

CIniValue* CIniView::FocusedKey() const {
  int row = keys_.GetFocusedSelected();
  return row >= 0 ? reinterpret_cast<CIniValue*>(keys_.GetItemData(row)) : nullptr;
}

std::string CIniView::BracketedName(const std::string& name) { return "[" + name + "]"; }

std::string CIniView::KeyText(const CIniValue& key) { return Clip(key.m_strKey, kKeyNameMost); }

std::string CIniView::QuotedValue(const CIniValue& key) { return "\"" + key.m_strValue + "\""; }

// Filling

void CIniView::RebuildTree() {
  // While the old items go, their objects may already be gone with the
  // previous project: selection changes must not reach them.
  rebuilding_ = true;
  ::SendMessageA(tree_.Handle(), WM_SETREDRAW, FALSE, 0);
  keys_.DeleteAllItems();
  tree_.DeleteAllItems();
  if (project_ && project_->m_pIniFiles) {
    for (CIniFile* file : project_->m_pIniFiles->m_files.Items()) {
      HTREEITEM f = tree_.InsertItem(TVI_ROOT, TVI_LAST, Clip(file->m_strName, kFileNameMost).c_str(), kImageFile,
                                     kImageFileOpen, DataOf(file));
      for (CIniSection* section : file->m_sections.Items())
        tree_.InsertItem(f, TVI_LAST, section->m_strName.c_str(), kImageSection, kImageSectionOpen, DataOf(section));
    }
  }
  ::SendMessageA(tree_.Handle(), WM_SETREDRAW, TRUE, 0);
  rebuilding_ = false;
  if (HTREEITEM first = tree_.GetRoot())
    tree_.Expand(first);
  FillKeyList();
}

int CIniView::AppendKeyRow(CIniValue* key) {
  // An index past the end appends (a sorted list finds the place itself).
  int row = keys_.InsertItem(INT_MAX, KeyText(*key).c_str(), kImageKey, reinterpret_cast<LPARAM>(key));
  keys_.SetItemText(row, 1, QuotedValue(*key).c_str());
  return row;
}

void CIniView::SortRows() {
  ::SendMessageA(keys_.Handle(), LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&CompareKeyRows));
}

void CIniView::FillKeyList() {
  if (rebuilding_)
    return;
  CIniSection* section = SelectedSection();
  {
    kwf::ListBatch batch(keys_, &CompareKeyRows);
    keys_.DeleteAllItems();
    if (section)
      for (CIniValue* key : section->m_values.Items())
        AppendKeyRow(key);
  }
  ::EnableWindow(keys_.Handle(), section != nullptr);
}

void CIniView::Modified() {
  if (project_)
    project_->SetModifiedFlag(true);
}

void CIniView::StartTreeEdit(HTREEITEM item) {
  // A section's label carries brackets once edited; the edit is of the name.
  if (CKwItem* o = ItemObject(item); IsKind(o, "CIniSection"))
    tree_.SetItemText(item, static_cast<CIniSection*>(o)->m_strName.c_str());
  ::SetFocus(tree_.Handle());
  tree_.EditLabel(item);
}

// Commands

bool CIniView::OnUpdateCommand(UINT id, bool* enabled) { return kwf::QueryCommand(this, kCommands, id, enabled); }

bool CIniView::RunViewCommand(UINT id) {
  if (!kwf::FindCommand(kCommands, id))
    return false;
  if (project_ && hwnd_)
    kwf::RunCommand(this, kCommands, id);
  return true;
}

bool CIniView::CommandEnabled(UINT id) const {
  bool enabled = false;
  return project_ && hwnd_ && kwf::QueryCommand(this, kCommands, id, &enabled) && enabled;
}

bool CIniView::HasChildren(UINT) const {
  HTREEITEM item = tree_.GetSelection();
  return item && tree_.GetChild(item);
}

bool CIniView::NothingOrFileSelected(UINT) const { return !tree_.GetSelection() || SelectedFile(); }

bool CIniView::ItemSelected(UINT) const { return tree_.GetSelection() != nullptr; }

bool CIniView::FileSelected(UINT) const { return SelectedFile() != nullptr; }

bool CIniView::SectionSelected(UINT) const { return SelectedSection() != nullptr; }

bool CIniView::RowSelected(UINT) const { return keys_.GetFocusedSelected() >= 0; }

void CIniView::OnExpand(UINT) {
  if (HTREEITEM item = tree_.GetSelection())
    tree_.Expand(item, TVE_TOGGLE);
}

void CIniView::OnNewIniFile(UINT) {
  CIniFile* file = project_->m_pIniFiles->Add(kwf::LoadResString(IDS_NEW_INIFILE).c_str());
  HTREEITEM item = tree_.InsertItem(TVI_ROOT, TVI_LAST, Clip(file->m_strName, kFileNameMost).c_str(), kImageFile,
                                    kImageFileOpen, DataOf(file));
  tree_.Expand(tree_.GetRoot());
  tree_.Select(item);
  Modified();
  StartTreeEdit(item);
}

void CIniView::OnNewSection(UINT) {
  CIniFile* file = SelectedFile();
  HTREEITEM parent = tree_.GetSelection();
  CIniSection* section = file->Add(kwf::LoadResString(IDS_NEW_SECTION).c_str());
  HTREEITEM item =
      tree_.InsertItem(parent, TVI_LAST, section->m_strName.c_str(), kImageSection, kImageSectionOpen, DataOf(section));
  tree_.Expand(parent);
  tree_.Select(item);
  Modified();
  StartTreeEdit(item);
}

void CIniView::OnNewKey(UINT) {
  CIniSection* section = SelectedSection();
  CIniValue* key = section->Add(kwf::LoadResString(IDS_NEW_INIKEY).c_str(), "");
  int row = AppendKeyRow(key);
  Modified();
  keys_.EnsureVisible(row);
  ::SetFocus(keys_.Handle());
  keys_.EditLabel(row);
}

void CIniView::OnDeleteItem(UINT) {
  HTREEITEM item = tree_.GetSelection();
  CKwItem* o = ItemObject(item);
  if (!o)
    return;
  // The rows and the item go before their objects; the selection that
  // follows the deleted item fills the list again.
  keys_.DeleteAllItems();
  if (IsKind(o, "CIniSection")) {
    auto* file = static_cast<CIniFile*>(ItemObject(tree_.GetParent(item)));
    tree_.DeleteItem(item);
    file->Remove(static_cast<CIniSection*>(o));
  } else {
    tree_.DeleteItem(item);
    project_->m_pIniFiles->Remove(static_cast<CIniFile*>(o));
  }
  FillKeyList();
  Modified();
}

void CIniView::OnRenameItem(UINT) {
  if (HTREEITEM item = tree_.GetSelection())
    StartTreeEdit(item);
}

void CIniView::OnDeleteKey(UINT) {
  int row = keys_.GetFocusedSelected();
  CIniSection* section = SelectedSection();
  if (row < 0 || !section)
    return;
  auto* key = reinterpret_cast<CIniValue*>(keys_.GetItemData(row));
  keys_.DeleteItem(row);
  section->Remove(key);
  Modified();
}

void CIniView::OnRenameKey(UINT) {
  int row = keys_.GetFocusedSelected();
  if (row < 0)
    return;
  ::SetFocus(keys_.Handle());
  keys_.EditLabel(row);
}

void CIniView::OnKeyProperties(UINT) {
  int row = keys_.GetFocusedSelected();
  if (row < 0)
    return;
  auto* key = reinterpret_cast<CIniValue*>(keys_.GetItemData(row));
  CIniValuePropSheet sheet(key);
  if (sheet.DoModal(hwnd_) != IDOK)
    return;
  keys_.SetItemText(row, 1, QuotedValue(*key).c_str());
  Modified();
}

// Messages

bool CIniView::OnTreeEndEdit(const NMTVDISPINFOA& info) {
  HTREEITEM item = info.item.hItem;
  CKwItem* o = ItemObject(item);
  // An empty name is taken as no name: a nameless file or section cannot be written.
  const bool given = info.item.pszText && info.item.pszText[0];
  if (IsKind(o, "CIniSection")) {
    auto* section = static_cast<CIniSection*>(o);
    if (given)
      section->SetName(info.item.pszText);
    tree_.SetItemText(item, BracketedName(section->m_strName).c_str());
  } else if (IsKind(o, "CIniFile") && given) {
    auto* file = static_cast<CIniFile*>(o);
    file->SetName(info.item.pszText);
    tree_.SetItemText(item, Clip(file->m_strName, kFileNameMost).c_str());
  }
  if (o && given)
    Modified();
  return false;  // the label is set above
}

bool CIniView::OnListEndEdit(const NMLVDISPINFOA& info) {
  if (!info.item.pszText || !info.item.pszText[0] || info.item.iItem < 0)
    return false;
  auto* key = reinterpret_cast<CIniValue*>(keys_.GetItemData(info.item.iItem));
  if (!key)
    return false;
  key->SetKey(info.item.pszText);
  keys_.SetItemText(info.item.iItem, 0, KeyText(*key).c_str());
  // A sorted list does not move a renamed row by itself.
  SortRows();
  Modified();
  return false;
}

bool CIniView::OnNotify(NMHDR* hdr, LRESULT* result) {
  *result = 0;
  if (!hdr)
    return false;
  if (hdr->idFrom == kIniTree) {
    switch (hdr->code) {
      case TVN_SELCHANGEDA: FillKeyList(); return true;
      case TVN_BEGINLABELEDITA: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(hdr);
        HWND edit = tree_.GetEditControl();
        labelEdit_.Attach(edit);
        // However the edit started, it is of the bare section name.
        CKwItem* o = ItemObject(info->item.hItem);
        if (edit && IsKind(o, "CIniSection"))
          ::SetWindowTextA(edit, static_cast<CIniSection*>(o)->m_strName.c_str());
        return true;
      }
      case TVN_ENDLABELEDITA:
        *result = OnTreeEndEdit(*reinterpret_cast<NMTVDISPINFOA*>(hdr)) ? TRUE : FALSE;
        return true;
      case TVN_KEYDOWN: {
        WORD key = reinterpret_cast<NMTVKEYDOWN*>(hdr)->wVKey;
        if (key == VK_DELETE)
          RunViewCommand(kCmdDeleteItem);
        else if (key == VK_F2)
          RunViewCommand(kCmdRenameItem);
        return true;
      }
    }
  } else if (hdr->idFrom == kKeyList) {
    switch (hdr->code) {
      case LVN_BEGINLABELEDITA: labelEdit_.Attach(keys_.GetEditControl()); return true;
      case LVN_ENDLABELEDITA:
        *result = OnListEndEdit(*reinterpret_cast<NMLVDISPINFOA*>(hdr)) ? TRUE : FALSE;
        return true;
      case LVN_KEYDOWN: {
        WORD key = reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey;
        if (key == VK_DELETE) {
          RunViewCommand(kCmdDeleteKey);
        } else if (key == VK_F2) {
          int focused = keys_.GetNextItem(-1, LVNI_FOCUSED);
          if (focused >= 0)
            keys_.EditLabel(focused);
        }
        return true;
      }
      case NM_DBLCLK:
      case NM_RETURN: RunViewCommand(kCmdKeyProperties); return true;
    }
  }
  return false;
}

void CIniView::OnContextMenu(HWND target, POINT screen) {
  UINT menu = target == tree_.Handle() ? IDM_INI_TREE : target == keys_.Handle() ? IDM_INI_LIST : 0;
  if (!menu || !project_)
    return;
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: at the selection, else at the control's corner.
    RECT r = {};
    HTREEITEM item = tree_.GetSelection();
    int row = keys_.GetFocusedSelected();
    bool at = menu == IDM_INI_TREE ? (item && tree_.GetItemRect(item, &r, true))
                                   : (row >= 0 && ListView_GetItemRect(target, row, &r, LVIR_LABEL));
    POINT p = at ? POINT{r.left, r.bottom} : POINT{0, 0};
    ::ClientToScreen(target, &p);
    screen = p;
  }
  auto rule = [](void* view, UINT id) { return static_cast<CIniView*>(view)->CommandEnabled(id); };
  auto label = [](void* view, UINT id) -> UINT {
    if (id != kCmdExpand)
      return 0;
    const kwf::TreeView& tree = static_cast<CIniView*>(view)->tree_;
    return tree.IsExpanded(tree.GetSelection()) ? IDS_COLLAPSE : IDS_EXPAND;
  };
  // The states are set here; the tab view's own pass would grey what it cannot answer.
  const UINT byDefault = menu == IDM_INI_TREE ? static_cast<UINT>(kCmdExpand) : 0u;
  UINT chosen = kwf::TrackContextMenu(hwnd_, menu, 0, screen, byDefault, rule, this, label);
  if (chosen)
    RunViewCommand(chosen);
}

bool CIniView::OnCommand(WORD id, WORD code, HWND control) {
  if (!control && RunViewCommand(id))
    return true;
  // Enter in a dialog becomes IDOK before the list sees it.
  if (id == IDOK && ::GetFocus() == keys_.Handle()) {
    RunViewCommand(kCmdKeyProperties);
    return true;
  }
  return CTabClientEx::OnCommand(id, code, control);
}

bool CIniView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (msg) {
    case WM_NOTIFY: {
      LRESULT r = 0;
      if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), &r))
        break;
      ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, r);
      *result = TRUE;
      return true;
    }
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wParam), PointOf(lParam));
      *result = TRUE;
      return true;
  }
  return CTabClientEx::OnMessage(msg, wParam, lParam, result);
}
