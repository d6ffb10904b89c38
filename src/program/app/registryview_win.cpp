// The Registry tab.
#include "registryview.h"

#include "itemsheets.h"
#include "model/project.h"
#include "model/regtext.h"
#include "reslang.h"

#include <climits>

namespace {

enum : int { kImageKey = 0, kImageClosed = 1, kImageOpen = 2, kImageString = 3, kImageOther = 4 };

POINT PointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

std::string Clip(std::string s, size_t most) {
  if (s.size() > most)
    s.resize(most);
  return s;
}

int ImageOf(const CRegistryValue& value) {
  return value.m_dwType == CRegistryValue::kString ? kImageString : kImageOther;
}

}  // namespace

const kwf::Command<CRegistryView> CRegistryView::kCommands[] = {
    {kCmdExpand, kCmdExpand, &CRegistryView::OnExpand, &CRegistryView::KeyHasChildren},
    {kCmdNewKey, kCmdNewKey, &CRegistryView::OnNewKey, &CRegistryView::Always},
    {kCmdNewString, kCmdNewDword, &CRegistryView::OnNewValue, &CRegistryView::Always},
    {kCmdDeleteKey, kCmdDeleteKey, &CRegistryView::OnDeleteKey, &CRegistryView::KeyEditable},
    {kCmdRenameKey, kCmdRenameKey, &CRegistryView::OnRenameKey, &CRegistryView::KeyEditable},
    {kCmdKeyProperties, kCmdKeyProperties, &CRegistryView::OnKeyProperties, &CRegistryView::Always},
    {kCmdDeleteValue, kCmdDeleteValue, &CRegistryView::OnDeleteValue, &CRegistryView::RowFocused},
    {kCmdRenameValue, kCmdRenameValue, &CRegistryView::OnRenameValue, &CRegistryView::RowFocused},
    {kCmdValueProperties, kCmdValueProperties, &CRegistryView::OnValueProperties, &CRegistryView::RowFocused},
};

CRegistryView::CRegistryView() : CTabClientEx(IDD_REGISTRY) {}

CRegistryView::~CRegistryView() {
  if (images_)
    ImageList_Destroy(images_);
}

bool CRegistryView::OnInitDialog() {
  CTabClientEx::OnInitDialog();
  keys_.Attach(::GetDlgItem(hwnd_, kKeyTree));
  values_.Attach(::GetDlgItem(hwnd_, kValueList));
  // The tree and the list share one image list, which the view owns.
  ::SetWindowLongPtrA(values_.Handle(), GWL_STYLE,
                      ::GetWindowLongPtrA(values_.Handle(), GWL_STYLE) | LVS_SHAREIMAGELISTS);
  images_ = kwf::LoadImageStrip(IDB_REGISTRY_IMAGES, 16);
  keys_.SetImageList(images_);
  values_.SetImageList(images_, LVSIL_SMALL);
  RECT r;
  ::GetClientRect(values_.Handle(), &r);
  const int width = r.right - r.left;
  values_.InsertColumn(0, kwf::LoadResString(IDS_REG_COL_NAME).c_str(), width * 30 / 100);
  values_.InsertColumn(1, kwf::LoadResString(IDS_REG_COL_DATA).c_str(), width * 70 / 100);
  return false;
}

void CRegistryView::UpdateFromProject(CKitwrightProject* project, uint32_t hint) {
  project_ = project;
  if ((hint & 0x80000000u) || !hwnd_)
    return;
  RebuildTree();
}

CRegistryKey* CRegistryView::SelectedKey() const {
  HTREEITEM item = keys_.GetSelection();
  return item ? reinterpret_cast<CRegistryKey*>(keys_.GetItemData(item)) : nullptr;
}

CRegistryValue* CRegistryView::FocusedValue() const {
  int row = values_.GetFocusedSelected();
  return row >= 0 ? reinterpret_cast<CRegistryValue*>(values_.GetItemData(row)) : nullptr;
}

std::string CRegistryView::NameText(const CRegistryValue& value) {
  return value.IsDefault() ? kwf::LoadResString(IDS_REG_DEFAULT) : Clip(*value.m_name, 255);
}

std::string CRegistryView::DataText(const CRegistryValue& value) {
  switch (value.m_dwType) {
    case CRegistryValue::kNumber: return kw::DecimalText(value.m_dwNumber);
    case CRegistryValue::kBinary:
      if (!value.m_binary || value.m_binary->empty())
        return kwf::LoadResString(IDS_REG_ZEROBINARY);
      // Shown as the value sheet edits it: bytes as they are would cut the
      // text at the first zero and show control characters.
      return Clip(kw::BinaryToRegText(*value.m_binary), 259);
    default:
      if (!value.m_strData)
        return kwf::LoadResString(IDS_REG_NOTSET);
      return "\"" + Clip(*value.m_strData, 255) + "\"";
  }
}

void CRegistryView::AddKeyItems(HTREEITEM parent, CRegistryKey* key) {
  for (CRegistryKey* k = key; k; k = k->m_pNext) {
    const int image = k->m_pParent ? kImageClosed : kImageKey;
    const int selected = k->m_pParent ? kImageOpen : kImageKey;
    HTREEITEM item = keys_.InsertItem(parent, TVI_LAST, Clip(k->m_strName, 255).c_str(), image, selected,
                                      reinterpret_cast<LPARAM>(k));
    AddKeyItems(item, k->m_pChild);
  }
}

void CRegistryView::RebuildTree() {
  ::SendMessageA(keys_.Handle(), WM_SETREDRAW, FALSE, 0);
  keys_.DeleteAllItems();
  values_.DeleteAllItems();
  if (project_ && project_->m_pRegistry)
    AddKeyItems(TVI_ROOT, project_->m_pRegistry->m_pChild);
  ::SendMessageA(keys_.Handle(), WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(keys_.Handle(), nullptr, TRUE);
}

void CRegistryView::ShowValue(int row, const CRegistryValue& value) {
  LVITEMA it = {};
  it.mask = LVIF_IMAGE;
  it.iItem = row;
  it.iImage = ImageOf(value);
  ::SendMessageA(values_.Handle(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  values_.SetItemText(row, 1, DataText(value).c_str());
}

int CRegistryView::AppendValueRow(CRegistryValue* value) {
  // An index past the end appends (a sorted list finds the place itself).
  int row = values_.InsertItem(INT_MAX, NameText(*value).c_str(), ImageOf(*value), reinterpret_cast<LPARAM>(value));
  values_.SetItemText(row, 1, DataText(*value).c_str());
  return row;
}

int CALLBACK CRegistryView::CompareValues(LPARAM a, LPARAM b, LPARAM) {
  return lstrcmpiA(NameText(*reinterpret_cast<const CRegistryValue*>(a)).c_str(),
                   NameText(*reinterpret_cast<const CRegistryValue*>(b)).c_str());
}

void CRegistryView::FillValueList() {
  kwf::ListBatch batch(values_, &CompareValues);
  values_.DeleteAllItems();
  if (CRegistryKey* key = SelectedKey())
    for (CRegistryValue* v = key->m_pValues; v; v = v->m_pNext)
      AppendValueRow(v);
}

void CRegistryView::Modified() {
  if (project_)
    project_->SetModifiedFlag(true);
}

void CRegistryView::StartKeyEdit(HTREEITEM item) {
  ::SetFocus(keys_.Handle());
  keys_.EditLabel(item);
}

// Rules

bool CRegistryView::KeyEditable(UINT) const {
  CRegistryKey* key = SelectedKey();
  return key && key->m_dwRoot == 0;
}

bool CRegistryView::KeyHasChildren(UINT) const {
  HTREEITEM item = keys_.GetSelection();
  return item && keys_.GetChild(item);
}

bool CRegistryView::RowFocused(UINT) const { return values_.GetFocusedSelected() >= 0; }

bool CRegistryView::CommandEnabled(UINT id) const {
  bool enabled = false;
  return kwf::QueryCommand(this, kCommands, id, &enabled) && enabled;
}

bool CRegistryView::OnUpdateCommand(UINT id, bool* enabled) { return kwf::QueryCommand(this, kCommands, id, enabled); }

bool CRegistryView::RunViewCommand(UINT id) { return project_ && kwf::RunCommand(this, kCommands, id); }

// Commands

void CRegistryView::OnExpand(UINT) {
  if (HTREEITEM item = keys_.GetSelection())
    keys_.Expand(item, TVE_TOGGLE);
}

void CRegistryView::OnNewKey(UINT) {
  HTREEITEM parent = keys_.GetSelection();
  CRegistryKey* key = SelectedKey();
  if (!parent || !key)
    return;
  CRegistryKey* added = key->AddChildKey(kwf::LoadResString(IDS_NEW_KEY).c_str(), 0);
  HTREEITEM item = keys_.InsertItem(parent, TVI_LAST, Clip(added->m_strName, 255).c_str(), kImageClosed, kImageOpen,
                                    reinterpret_cast<LPARAM>(added));
  keys_.Expand(parent);
  keys_.Select(item);
  Modified();
  StartKeyEdit(item);
}

void CRegistryView::OnNewValue(UINT id) {
  CRegistryKey* key = SelectedKey();
  if (!key)
    return;
  const uint32_t type = id == kCmdNewString   ? CRegistryValue::kString
                        : id == kCmdNewBinary ? CRegistryValue::kBinary
                                              : CRegistryValue::kNumber;
  auto* value = new CRegistryValue(kwf::LoadResString(IDS_NEW_VALUE).c_str(), type);
  key->AppendValue(value);
  int row = AppendValueRow(value);
  Modified();
  if (row >= 0) {
    values_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    values_.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SetFocus(values_.Handle());
    values_.EditLabel(row);
  }
}

void CRegistryView::OnDeleteKey(UINT) {
  HTREEITEM item = keys_.GetSelection();
  CRegistryKey* key = SelectedKey();
  if (!item || !key || key->m_dwRoot != 0 || !key->m_pParent)
    return;
  CRegistryKey* parent = key->m_pParent;
  // The tree selects another key as the item goes; the list follows it.
  keys_.DeleteItem(item);
  parent->RemoveChildKey(key);
  FillValueList();
  Modified();
}

void CRegistryView::OnRenameKey(UINT) {
  if (HTREEITEM item = keys_.GetSelection())
    StartKeyEdit(item);
}

void CRegistryView::OnKeyProperties(UINT) {
  CRegistryKey* key = SelectedKey();
  if (!key)
    return;
  CRegistryKeyPropSheet sheet(key);
  if (sheet.DoModal(hwnd_) == IDOK)
    Modified();
}

void CRegistryView::OnDeleteValue(UINT) {
  int row = values_.GetFocusedSelected();
  CRegistryKey* key = SelectedKey();
  if (row < 0 || !key)
    return;
  auto* value = reinterpret_cast<CRegistryValue*>(values_.GetItemData(row));
  if (value->IsDefault()) {
    // The default value stays with its key; only its data goes.
    value->m_strData.reset();
    value->m_binary.reset();
    value->m_dwNumber = 0;
    values_.SetItemText(row, 1, kwf::LoadResString(IDS_REG_NOTSET).c_str());
  } else {
    values_.DeleteItem(row);
    key->RemoveValue(value);
  }
  Modified();
}

void CRegistryView::OnRenameValue(UINT) {
  int row = values_.GetFocusedSelected();
  if (row >= 0) {
    ::SetFocus(values_.Handle());
    values_.EditLabel(row);
  }
}

void CRegistryView::OnValueProperties(UINT) {
  int row = values_.GetFocusedSelected();
  if (row < 0)
    return;
  auto* value = reinterpret_cast<CRegistryValue*>(values_.GetItemData(row));
  CRegistryValuePropSheet sheet(value);
  if (sheet.DoModal(hwnd_) != IDOK)
    return;
  ShowValue(row, *value);
  Modified();
}

// Messages

bool CRegistryView::OnNotify(NMHDR* hdr, LRESULT* result) {
  *result = 0;
  if (!hdr)
    return false;
  if (hdr->idFrom == kKeyTree) {
    switch (hdr->code) {
      case TVN_SELCHANGEDA: FillValueList(); return true;
      case TVN_BEGINLABELEDITA: {
        auto* key = reinterpret_cast<CRegistryKey*>(reinterpret_cast<NMTVDISPINFOA*>(hdr)->item.lParam);
        *result = (!key || key->m_dwRoot != 0) ? TRUE : FALSE;
        if (!*result)
          editSubclass_.Attach(keys_.GetEditControl());
        return true;
      }
      case TVN_ENDLABELEDITA: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(hdr);
        auto* key = reinterpret_cast<CRegistryKey*>(keys_.GetItemData(info->item.hItem));
        if (!info->item.pszText || !key)
          return true;
        key->SetName(info->item.pszText);
        keys_.SetItemText(info->item.hItem, Clip(key->m_strName, 255).c_str());
        Modified();
        return true;
      }
      case TVN_KEYDOWN: {
        WORD key = reinterpret_cast<NMTVKEYDOWN*>(hdr)->wVKey;
        if (key == VK_DELETE)
          RunViewCommand(kCmdDeleteKey);
        else if (key == VK_F2)
          RunViewCommand(kCmdRenameKey);
        return true;
      }
    }
  } else if (hdr->idFrom == kValueList) {
    switch (hdr->code) {
      case LVN_BEGINLABELEDITA: {
        auto* value = reinterpret_cast<CRegistryValue*>(reinterpret_cast<NMLVDISPINFOA*>(hdr)->item.lParam);
        *result = (!value || value->IsDefault()) ? TRUE : FALSE;
        if (!*result)
          kwf::SubclassLabelEdit(values_.GetEditControl());
        return true;
      }
      case LVN_ENDLABELEDITA: {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(hdr);
        if (!info->item.pszText || info->item.iItem < 0)
          return true;
        auto* value = reinterpret_cast<CRegistryValue*>(values_.GetItemData(info->item.iItem));
        if (!value || value->IsDefault())
          return true;
        value->SetName(info->item.pszText);
        values_.SetItemText(info->item.iItem, 0, NameText(*value).c_str());
        Modified();
        return true;
      }
      case LVN_KEYDOWN: {
        WORD key = reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey;
        if (key == VK_DELETE)
          RunViewCommand(kCmdDeleteValue);
        else if (key == VK_F2)
          RunViewCommand(kCmdRenameValue);
        return true;
      }
      case NM_DBLCLK:
      case NM_RETURN: RunViewCommand(kCmdValueProperties); return true;
    }
  }
  return false;
}

void CRegistryView::OnContextMenu(HWND target, POINT screen) {
  const bool tree = target == keys_.Handle();
  if ((!tree && target != values_.Handle()) || !project_)
    return;
  auto rule = [](void* view, UINT id) { return static_cast<CRegistryView*>(view)->CommandEnabled(id); };
  auto label = [](void* view, UINT id) -> UINT {
    if (id != kCmdExpand)
      return 0;
    auto* self = static_cast<CRegistryView*>(view);
    return self->keys_.IsExpanded(self->keys_.GetSelection()) ? IDS_COLLAPSE : IDS_EXPAND;
  };
  UINT chosen = kwf::TrackContextMenu(hwnd_, tree ? IDM_REGISTRY_TREE : IDM_REGISTRY_LIST, 0, screen,
                                      tree ? static_cast<UINT>(kCmdExpand) : 0u, rule, this, label);
  if (chosen)
    RunViewCommand(chosen);
}

bool CRegistryView::OnCommand(WORD id, WORD code, HWND control) {
  if (!control && RunViewCommand(id))
    return true;
  // Enter in a dialog becomes IDOK before the list sees it.
  if (id == IDOK && ::GetFocus() == values_.Handle()) {
    RunViewCommand(kCmdValueProperties);
    return true;
  }
  return CTabClientEx::OnCommand(id, code, control);
}

bool CRegistryView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
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
