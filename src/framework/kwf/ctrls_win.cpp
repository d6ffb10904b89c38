// Image strips, the label-edit subclass and context menus.
#include "ctrls.h"

#include "framework.h"
#include "reslang.h"

namespace kwf {
namespace {

constexpr char kOldProcProperty[] = "kwf.LabelEditProc";
ContextMenuSeam g_menuSeam = nullptr;

LRESULT CALLBACK LabelEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(::GetPropA(hwnd, kOldProcProperty));
  if (!old)
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_GETDLGCODE:
      // The control's own edit handling keeps on Enter and discards on
      // Escape, once the keys reach it.
      return ::CallWindowProcA(old, hwnd, msg, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_CHAR:
      // Swallowed: handled as keys above; the edit would only beep.
      if (wParam == '\r' || wParam == 0x1B)
        return 0;
      break;
    case WM_NCDESTROY:
      ::RemovePropA(hwnd, kOldProcProperty);
      ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
      return ::CallWindowProcA(old, hwnd, msg, wParam, lParam);
  }
  return ::CallWindowProcA(old, hwnd, msg, wParam, lParam);
}

}  // namespace

ListBatch::ListBatch(const ListView& list, PFNLVCOMPARE compare)
    : list_(list.Handle()), compare_(compare), style_(::GetWindowLongPtrA(list_, GWL_STYLE)) {
  ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  ::SetWindowLongPtrA(list_, GWL_STYLE, style_ & ~LVS_SORTASCENDING);
}

ListBatch::~ListBatch() {
  if (compare_)
    ::SendMessageA(list_, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(compare_));
  ::SetWindowLongPtrA(list_, GWL_STYLE, style_);
  ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
}

HIMAGELIST LoadImageStrip(UINT bitmapId, int cx) {
  return theLanguageArray.ImageList_LoadImage(MAKEINTRESOURCEA(bitmapId), cx, 1, RGB(255, 0, 255), IMAGE_BITMAP,
                                              LR_CREATEDIBSECTION);
}

void SubclassLabelEdit(HWND edit) {
  if (!edit || ::GetPropA(edit, kOldProcProperty))
    return;
  LONG_PTR old = ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LabelEditProc));
  ::SetPropA(edit, kOldProcProperty, reinterpret_cast<HANDLE>(old));
}

namespace {

void PrepareItems(HMENU menu, MenuEnableRule enabled, MenuLabelRule label, void* context) {
  for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
    if (HMENU sub = ::GetSubMenu(menu, i)) {
      PrepareItems(sub, enabled, label, context);
      continue;
    }
    UINT id = ::GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1))
      continue;
    if (enabled)
      ::EnableMenuItem(menu, i, MF_BYPOSITION | (enabled(context, id) ? MF_ENABLED : MF_GRAYED));
    if (UINT text = label ? label(context, id) : 0) {
      std::string s = LoadResString(text);
      MENUITEMINFOA info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_STRING;
      info.dwTypeData = const_cast<char*>(s.c_str());
      ::SetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    }
  }
}

void SendInitMenuPopup(HWND owner, HMENU menu) {
  ::SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
  for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i)
    if (HMENU sub = ::GetSubMenu(menu, i))
      SendInitMenuPopup(owner, sub);
}

}  // namespace

UINT TrackContextMenu(HWND owner, UINT menuId, int index, POINT screen, UINT defaultItem,
                      MenuEnableRule enabled, void* context, MenuLabelRule label) {
  HMENU menu = theLanguageArray.LoadMenu(MAKEINTRESOURCEA(menuId));
  if (!menu)
    return 0;
  UINT chosen = 0;
  if (HMENU popup = ::GetSubMenu(menu, index)) {
    PrepareItems(popup, enabled, label, context);
    if (defaultItem)
      ::SetMenuDefaultItem(popup, defaultItem, FALSE);
    if (g_menuSeam) {
      // As the system does when the menu and its sub-menus open.
      SendInitMenuPopup(owner, popup);
      chosen = g_menuSeam(popup);
    } else {
      chosen = static_cast<UINT>(::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                  screen.x, screen.y, 0, owner, nullptr));
    }
    // A greyed item is never run, whoever chose it.
    if (chosen && (::GetMenuState(popup, chosen, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)))
      chosen = 0;
  }
  ::DestroyMenu(menu);
  return chosen;
}

void SetContextMenuSeam(ContextMenuSeam seam) { g_menuSeam = seam; }

}  // namespace kwf
