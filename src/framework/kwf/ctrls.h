// Thin, non-owning wrappers over the common controls the editors use:
//   TreeView, ListView, TabControl, ComboBox  an HWND and typed SendMessage helpers
// and the pieces every editor shares: image lists from the resource
// library's strips, the label-edit subclass and context menus.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace kwf {

class TreeView {
 public:
  explicit TreeView(HWND hwnd = nullptr) : hwnd_(hwnd) {}
  HWND Handle() const { return hwnd_; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }

  HTREEITEM InsertItem(HTREEITEM parent, HTREEITEM after, const char* text, int image, int selectedImage,
                       LPARAM data) const {
    TVINSERTSTRUCTA is = {};
    is.hParent = parent;
    is.hInsertAfter = after;
    is.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    is.item.pszText = const_cast<char*>(text);
    is.item.iImage = image;
    is.item.iSelectedImage = selectedImage;
    is.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(::SendMessageA(hwnd_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&is)));
  }
  bool DeleteItem(HTREEITEM item) const { return Send(TVM_DELETEITEM, 0, item) != 0; }
  bool DeleteAllItems() const { return Send(TVM_DELETEITEM, 0, TVI_ROOT) != 0; }
  HTREEITEM GetNext(HTREEITEM item, UINT code) const {
    return reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, code, item));
  }
  HTREEITEM GetRoot() const { return GetNext(nullptr, TVGN_ROOT); }
  HTREEITEM GetChild(HTREEITEM item) const { return GetNext(item, TVGN_CHILD); }
  HTREEITEM GetNextSibling(HTREEITEM item) const { return GetNext(item, TVGN_NEXT); }
  HTREEITEM GetParent(HTREEITEM item) const { return GetNext(item, TVGN_PARENT); }
  HTREEITEM GetSelection() const { return GetNext(nullptr, TVGN_CARET); }
  HTREEITEM GetDropHilight() const { return GetNext(nullptr, TVGN_DROPHILITE); }
  bool Select(HTREEITEM item) const { return Send(TVM_SELECTITEM, TVGN_CARET, item) != 0; }
  bool SelectDropTarget(HTREEITEM item) const { return Send(TVM_SELECTITEM, TVGN_DROPHILITE, item) != 0; }
  bool Expand(HTREEITEM item, UINT code = TVE_EXPAND) const { return Send(TVM_EXPAND, code, item) != 0; }
  bool EnsureVisible(HTREEITEM item) const { return Send(TVM_ENSUREVISIBLE, 0, item) != 0; }
  bool IsExpanded(HTREEITEM item) const {
    return item && (::SendMessageA(hwnd_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
                    TVIS_EXPANDED);
  }
  int GetCount() const { return static_cast<int>(Send(TVM_GETCOUNT, 0, nullptr)); }
  LPARAM GetItemData(HTREEITEM item) const {
    TVITEMA it = {};
    it.mask = TVIF_PARAM;
    it.hItem = item;
    return Send(TVM_GETITEMA, 0, &it) ? it.lParam : 0;
  }
  std::string GetItemText(HTREEITEM item) const {
    char text[512] = {};
    TVITEMA it = {};
    it.mask = TVIF_TEXT;
    it.hItem = item;
    it.pszText = text;
    it.cchTextMax = sizeof text;
    return Send(TVM_GETITEMA, 0, &it) ? std::string(text) : std::string();
  }
  bool SetItemText(HTREEITEM item, const char* text) const {
    TVITEMA it = {};
    it.mask = TVIF_TEXT;
    it.hItem = item;
    it.pszText = const_cast<char*>(text);
    return Send(TVM_SETITEMA, 0, &it) != 0;
  }
  bool SetItemImage(HTREEITEM item, int image, int selectedImage) const {
    TVITEMA it = {};
    it.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    it.hItem = item;
    it.iImage = image;
    it.iSelectedImage = selectedImage;
    return Send(TVM_SETITEMA, 0, &it) != 0;
  }
  bool GetItemRect(HTREEITEM item, RECT* rect, bool textOnly) const {
    *reinterpret_cast<HTREEITEM*>(rect) = item;
    return ::SendMessageA(hwnd_, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect)) != 0;
  }
  HWND EditLabel(HTREEITEM item) const { return reinterpret_cast<HWND>(Send(TVM_EDITLABELA, 0, item)); }
  HWND GetEditControl() const { return reinterpret_cast<HWND>(Send(TVM_GETEDITCONTROL, 0, nullptr)); }
  bool EndEditLabelNow(bool cancel) const { return Send(TVM_ENDEDITLABELNOW, cancel, nullptr) != 0; }
  HIMAGELIST SetImageList(HIMAGELIST list, int which = TVSIL_NORMAL) const {
    return reinterpret_cast<HIMAGELIST>(::SendMessageA(hwnd_, TVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list)));
  }
  // The item at a client point; flags receives TVHT_* when given.
  HTREEITEM HitTest(POINT client, UINT* flags = nullptr) const {
    TVHITTESTINFO hit = {};
    hit.pt = client;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageA(hwnd_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (flags)
      *flags = hit.flags;
    return item;
  }

 private:
  LRESULT Send(UINT msg, WPARAM wParam, const void* lParam) const {
    return ::SendMessageA(hwnd_, msg, wParam, reinterpret_cast<LPARAM>(lParam));
  }
  HWND hwnd_;
};

class ListView {
 public:
  explicit ListView(HWND hwnd = nullptr) : hwnd_(hwnd) {}
  HWND Handle() const { return hwnd_; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }

  int InsertColumn(int index, const char* text, int width) const {
    LVCOLUMNA c = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = const_cast<char*>(text);
    c.cx = width;
    c.iSubItem = index;
    return static_cast<int>(Send(LVM_INSERTCOLUMNA, index, &c));
  }
  bool SetColumnWidth(int index, int width) const {
    return ::SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, index, MAKELPARAM(width, 0)) != 0;
  }
  int InsertItem(int index, const char* text, int image, LPARAM data) const {
    LVITEMA it = {};
    it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    it.iItem = index;
    it.pszText = const_cast<char*>(text);
    it.iImage = image;
    it.lParam = data;
    return static_cast<int>(Send(LVM_INSERTITEMA, 0, &it));
  }
  bool SetItemText(int index, int subItem, const char* text) const {
    LVITEMA it = {};
    it.iSubItem = subItem;
    it.pszText = const_cast<char*>(text);
    return Send(LVM_SETITEMTEXTA, index, &it) != 0;
  }
  std::string GetItemText(int index, int subItem) const {
    char text[512] = {};
    LVITEMA it = {};
    it.iSubItem = subItem;
    it.pszText = text;
    it.cchTextMax = sizeof text;
    Send(LVM_GETITEMTEXTA, index, &it);
    return text;
  }
  LPARAM GetItemData(int index) const {
    LVITEMA it = {};
    it.mask = LVIF_PARAM;
    it.iItem = index;
    return Send(LVM_GETITEMA, 0, &it) ? it.lParam : 0;
  }
  int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, nullptr)); }
  int GetSelectedCount() const { return static_cast<int>(Send(LVM_GETSELECTEDCOUNT, 0, nullptr)); }
  // The next item after start (-1: from the top) with the LVNI_* flags.
  int GetNextItem(int start, UINT flags) const {
    return static_cast<int>(::SendMessageA(hwnd_, LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)));
  }
  // The focused row when it is also selected, else -1.
  int GetFocusedSelected() const {
    int focused = GetNextItem(-1, LVNI_FOCUSED);
    return focused >= 0 && (::SendMessageA(hwnd_, LVM_GETITEMSTATE, focused, LVIS_SELECTED) & LVIS_SELECTED) ? focused
                                                                                                          : -1;
  }
  bool SetItemState(int index, UINT state, UINT mask) const {
    LVITEMA it = {};
    it.state = state;
    it.stateMask = mask;
    return Send(LVM_SETITEMSTATE, index, &it) != 0;
  }
  bool DeleteItem(int index) const { return Send(LVM_DELETEITEM, index, nullptr) != 0; }
  bool DeleteAllItems() const { return Send(LVM_DELETEALLITEMS, 0, nullptr) != 0; }
  bool EnsureVisible(int index) const { return Send(LVM_ENSUREVISIBLE, index, nullptr) != 0; }
  HIMAGELIST SetImageList(HIMAGELIST list, int which) const {
    return reinterpret_cast<HIMAGELIST>(::SendMessageA(hwnd_, LVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list)));
  }
  HWND EditLabel(int index) const { return reinterpret_cast<HWND>(Send(LVM_EDITLABELA, index, nullptr)); }
  HWND GetEditControl() const { return reinterpret_cast<HWND>(Send(LVM_GETEDITCONTROL, 0, nullptr)); }
  bool Arrange(UINT code = LVA_DEFAULT) const { return Send(LVM_ARRANGE, code, nullptr) != 0; }
  // Report (LVS_REPORT) or large-icon (LVS_ICON) mode.
  void SetViewStyle(DWORD view) const {
    LONG_PTR style = ::GetWindowLongPtrA(hwnd_, GWL_STYLE);
    ::SetWindowLongPtrA(hwnd_, GWL_STYLE, (style & ~LVS_TYPEMASK) | view);
  }
  int HitTest(POINT client, UINT* flags = nullptr) const {
    LVHITTESTINFO hit = {};
    hit.pt = client;
    int index = static_cast<int>(Send(LVM_HITTEST, 0, &hit));
    if (flags)
      *flags = hit.flags;
    return index;
  }

 private:
  LRESULT Send(UINT msg, WPARAM wParam, const void* lParam) const {
    return ::SendMessageA(hwnd_, msg, wParam, reinterpret_cast<LPARAM>(lParam));
  }
  HWND hwnd_;
};

class TabControl {
 public:
  explicit TabControl(HWND hwnd = nullptr) : hwnd_(hwnd) {}
  HWND Handle() const { return hwnd_; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }

  int InsertItem(int index, const char* text, LPARAM data = 0) const {
    TCITEMA it = {};
    it.mask = TCIF_TEXT | TCIF_PARAM;
    it.pszText = const_cast<char*>(text);
    it.lParam = data;
    return static_cast<int>(::SendMessageA(hwnd_, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&it)));
  }
  int GetItemCount() const { return static_cast<int>(::SendMessageA(hwnd_, TCM_GETITEMCOUNT, 0, 0)); }
  int GetCurSel() const { return static_cast<int>(::SendMessageA(hwnd_, TCM_GETCURSEL, 0, 0)); }
  int SetCurSel(int index) const { return static_cast<int>(::SendMessageA(hwnd_, TCM_SETCURSEL, index, 0)); }
  bool DeleteAllItems() const { return ::SendMessageA(hwnd_, TCM_DELETEALLITEMS, 0, 0) != 0; }
  bool GetItemRect(int index, RECT* rect) const {
    return ::SendMessageA(hwnd_, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)) != 0;
  }
  // The display area for a window rectangle (larger = false), or the reverse.
  void AdjustRect(bool larger, RECT* rect) const {
    ::SendMessageA(hwnd_, TCM_ADJUSTRECT, larger, reinterpret_cast<LPARAM>(rect));
  }

 private:
  HWND hwnd_;
};

class ComboBox {
 public:
  explicit ComboBox(HWND hwnd = nullptr) : hwnd_(hwnd) {}
  HWND Handle() const { return hwnd_; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }

  int AddString(const char* text, LPARAM data = 0) const {
    int at = static_cast<int>(::SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    if (at >= 0)
      SetItemData(at, data);
    return at;
  }
  bool SetItemData(int index, LPARAM data) const {
    return ::SendMessageA(hwnd_, CB_SETITEMDATA, index, data) != CB_ERR;
  }
  LPARAM GetItemData(int index) const { return ::SendMessageA(hwnd_, CB_GETITEMDATA, index, 0); }
  int GetCount() const { return static_cast<int>(::SendMessageA(hwnd_, CB_GETCOUNT, 0, 0)); }
  int GetCurSel() const { return static_cast<int>(::SendMessageA(hwnd_, CB_GETCURSEL, 0, 0)); }
  int SetCurSel(int index) const { return static_cast<int>(::SendMessageA(hwnd_, CB_SETCURSEL, index, 0)); }
  void ResetContent() const { ::SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0); }
  int FindStringExact(const char* text) const {
    return static_cast<int>(::SendMessageA(hwnd_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)));
  }
  std::string GetLBText(int index) const {
    LRESULT n = ::SendMessageA(hwnd_, CB_GETLBTEXTLEN, index, 0);
    if (n == CB_ERR)
      return std::string();
    std::string text(static_cast<size_t>(n) + 1, '\0');
    ::SendMessageA(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(n));
    return text;
  }
  // Selects the first entry carrying data; false (no selection) when none does.
  bool SelectByData(LPARAM data) const {
    for (int i = 0, n = GetCount(); i < n; ++i)
      if (GetItemData(i) == data) {
        SetCurSel(i);
        return true;
      }
    SetCurSel(-1);
    return false;
  }

 private:
  HWND hwnd_;
};

// Many rows into a sorted list: a sorted list view inserts each row in
// order, which grows with the square of the rows (under Wine). While a batch
// lives the list is unsorted and not redrawn; at its end the rows are sorted
// once by compare over their item data, and the style comes back.
class ListBatch {
 public:
  ListBatch(const ListView& list, PFNLVCOMPARE compare);
  ~ListBatch();
  ListBatch(const ListBatch&) = delete;
  ListBatch& operator=(const ListBatch&) = delete;

 private:
  HWND list_;
  PFNLVCOMPARE compare_;
  LONG_PTR style_;
};

// An image list from a strip bitmap of the resource library: images cx
// pixels wide, magenta transparent. The caller destroys it.
HIMAGELIST LoadImageStrip(UINT bitmapId, int cx);

// Makes the edit control of a tree or list label edit take every key, so
// that inside a dialog Enter keeps the new label and Escape discards it
// instead of reaching the dialog's buttons.
void SubclassLabelEdit(HWND edit);

// Shows sub-menu `index` of menu `menuId` of the resource library at a
// screen point, with defaultItem in bold (0: none), and returns the chosen
// command, 0 when none. Items, in sub-menus too, are enabled by the
// caller's rule: enabled(id); an item whose label rule gives a string id
// shows that string instead of its own label.
using MenuEnableRule = bool (*)(void* context, UINT id);
using MenuLabelRule = UINT (*)(void* context, UINT id);
UINT TrackContextMenu(HWND owner, UINT menuId, int index, POINT screen, UINT defaultItem,
                      MenuEnableRule enabled = nullptr, void* context = nullptr, MenuLabelRule label = nullptr);
// Seam for tests: sees the prepared pop-up, after the owner has had its
// WM_INITMENUPOPUP as from the system, instead of the user, and returns the
// command to run; null restores the real menu.
using ContextMenuSeam = UINT (*)(HMENU popup);
void SetContextMenuSeam(ContextMenuSeam seam);

}  // namespace kwf
