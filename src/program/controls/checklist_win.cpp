// Check list box: a system list box with a check image per entry. The first
// check list box of a dialog subclasses the dialog so that the owner-draw
// messages of every check list box come back to the box itself.
#include "controls.h"

#include "reslang.h"

#include <cstring>
#include <new>

namespace {

constexpr const char kParentProp[] = "CheckLBox";
constexpr const char kBitmapProp[] = "CheckBMP";
constexpr int kItemHeight = 16;
constexpr int kCheckSize = 11;

struct CheckListItem {
  char* text;
  int check;
  void* data;
};

WNDPROC g_listProc = nullptr;
int g_registrations = 0;
HINSTANCE g_instance = nullptr;

bool IsCheckList(HWND window) {
  char name[64] = {};
  return window && ::GetClassNameA(window, name, sizeof name) &&
         std::strcmp(name, kCheckListClass) == 0;
}

CheckListItem* ItemAt(HWND list, int index) {
  LRESULT data = ::SendMessageA(list, LB_GETITEMDATA, index, 0);
  if (data == LB_ERR || data == 0)
    return nullptr;
  return reinterpret_cast<CheckListItem*>(data);
}

void RedrawItem(HWND list, int index) {
  RECT r;
  if (::SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR)
    ::InvalidateRect(list, &r, FALSE);
}

LRESULT CALLBACK ParentProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(::GetPropA(window, kParentProp));
  HWND child = nullptr;
  switch (msg) {
    case WM_DRAWITEM:
      child = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_DELETEITEM:
      child = reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_COMPAREITEM:
      child = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_MEASUREITEM:
      child = ::GetDlgItem(window, static_cast<int>(
                                       reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID));
      break;
    case WM_NCDESTROY:
      if (previous) {
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::RemovePropA(window, kParentProp);
      }
      break;
  }
  if (child && IsCheckList(child)) {
    LRESULT result = ::SendMessageA(child, msg, wParam, lParam);
    if (msg == WM_DRAWITEM || msg == WM_MEASUREITEM)
      result = TRUE;
    return result;
  }
  if (!previous)
    return ::DefWindowProcA(window, msg, wParam, lParam);
  return ::CallWindowProcA(previous, window, msg, wParam, lParam);
}

void SubclassParent(HWND parent) {
  if (!parent || ::GetPropA(parent, kParentProp))
    return;
  LONG_PTR previous = ::GetWindowLongPtrA(parent, GWLP_WNDPROC);
  ::SetPropA(parent, kParentProp, reinterpret_cast<HANDLE>(previous));
  ::SetWindowLongPtrA(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ParentProc));
}

void DrawItem(HWND list, const DRAWITEMSTRUCT* d) {
  if (d->itemID == static_cast<UINT>(-1))
    return;
  bool selected = (d->itemState & ODS_SELECTED) != 0;
  COLORREF back = selected ? RGB(0, 0, 0x80) : RGB(255, 255, 255);
  HBRUSH brush = ::CreateSolidBrush(back);
  ::FillRect(d->hDC, &d->rcItem, brush);
  ::DeleteObject(brush);
  auto* item = reinterpret_cast<CheckListItem*>(d->itemData);
  if (::SendMessageA(list, LB_GETCOUNT, 0, 0) > 0 && item) {
    if (auto bitmap = static_cast<HBITMAP>(::GetPropA(list, kBitmapProp))) {
      HDC source = ::CreateCompatibleDC(d->hDC);
      HGDIOBJ old = ::SelectObject(source, bitmap);
      ::BitBlt(d->hDC, d->rcItem.left + 2, d->rcItem.top + 2, kCheckSize, kCheckSize, source,
               item->check ? kCheckSize : 0, 0, SRCCOPY);
      ::SelectObject(source, old);
      ::DeleteDC(source);
    }
  }
  if (item && item->text) {
    COLORREF oldText = 0, oldBack = 0;
    if (selected) {
      oldText = ::SetTextColor(d->hDC, RGB(255, 255, 255));
      oldBack = ::SetBkColor(d->hDC, back);
    }
    int oldMode = ::SetBkMode(d->hDC, TRANSPARENT);
    ::TextOutA(d->hDC, 16, d->rcItem.top + 1, item->text, static_cast<int>(std::strlen(item->text)));
    ::SetBkMode(d->hDC, oldMode);
    if (selected) {
      ::SetTextColor(d->hDC, oldText);
      ::SetBkColor(d->hDC, oldBack);
    }
  }
  if (d->itemState & ODS_FOCUS)
    ::DrawFocusRect(d->hDC, &d->rcItem);
}

void Toggle(HWND list, int index) {
  if (CheckListItem* item = ItemAt(list, index)) {
    item->check = item->check ? 0 : 1;
    RedrawItem(list, index);
  }
}

LRESULT CALLBACK CheckListProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      // The parent must be subclassed before the list measures its items.
      SubclassParent(::GetParent(list));
      HBITMAP bitmap = theLanguageArray.LoadBitmap(MAKEINTRESOURCEA(kCheckBitmapId));
      if (bitmap)
        ::SetPropA(list, kBitmapProp, bitmap);
      break;
    }
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      m->itemHeight = kItemHeight;
      m->itemWidth = ::GetSystemMetrics(SM_CXSCREEN);
      return TRUE;
    }
    case WM_DRAWITEM:
      DrawItem(list, reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DELETEITEM: {
      auto* d = reinterpret_cast<DELETEITEMSTRUCT*>(lParam);
      auto* item = reinterpret_cast<CheckListItem*>(d->itemData);
      if (item) {
        delete[] item->text;
        delete item;
      }
      return TRUE;
    }
    case WM_COMPAREITEM: {
      auto* c = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam);
      auto* a = reinterpret_cast<CheckListItem*>(c->itemData1);
      auto* b = reinterpret_cast<CheckListItem*>(c->itemData2);
      int r = std::strcmp(a && a->text ? a->text : "", b && b->text ? b->text : "");
      return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        // Bit 30: the key was already down (auto-repeat).
        if ((lParam & (1 << 30)) == 0) {
          int index = static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0));
          if (index != LB_ERR && ItemAt(list, index)) {
            Toggle(list, index);
            ::SendMessageA(::GetParent(list), WM_COMMAND,
                           MAKEWPARAM(::GetDlgCtrlID(list), 1), reinterpret_cast<LPARAM>(list));
          }
        }
        return 0;
      }
      break;
    case WM_LBUTTONDOWN: {
      LRESULT result = ::CallWindowProcA(g_listProc, list, msg, wParam, lParam);
      int index = static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0));
      RECT r;
      if (index != LB_ERR &&
          ::SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR) {
        POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (p.x >= r.left + 2 && p.x < r.left + 14 && p.y >= r.top + 2 && p.y < r.top + 14)
          Toggle(list, index);
      }
      return result;
    }
    case WM_DESTROY:
      if (auto bitmap = static_cast<HBITMAP>(::RemovePropA(list, kBitmapProp)))
        ::DeleteObject(bitmap);
      break;
  }
  return ::CallWindowProcA(g_listProc, list, msg, wParam, lParam);
}

}  // namespace

ATOM RegisterCheckListBox(HINSTANCE instance) {
  if (g_registrations++ > 0)
    return 1;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(nullptr, "ListBox", &wc)) {
    g_registrations = 0;
    return 0;
  }
  g_listProc = wc.lpfnWndProc;
  wc.cbSize = sizeof wc;
  wc.style |= CS_GLOBALCLASS;
  wc.hInstance = instance;
  wc.lpszClassName = kCheckListClass;
  wc.lpfnWndProc = &CheckListProc;
  ATOM atom = ::RegisterClassExA(&wc);
  if (!atom) {
    g_registrations = 0;
    return 0;
  }
  g_instance = instance;
  return atom;
}

void UnregisterCheckListBox() {
  if (g_registrations <= 0)
    return;
  if (--g_registrations == 0)
    ::UnregisterClassA(kCheckListClass, g_instance);
}

int AddCheckListItem(HWND list, const char* text, int check, void* data) {
  auto* item = new (std::nothrow) CheckListItem{nullptr, check, data};
  if (!item)
    return LB_ERR;
  size_t length = text ? std::strlen(text) : 0;
  item->text = new (std::nothrow) char[length + 1];
  if (!item->text) {
    delete item;
    return LB_ERR;
  }
  if (length)
    std::memcpy(item->text, text, length);
  item->text[length] = '\0';
  LRESULT index = ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  if (index == LB_ERR || index == LB_ERRSPACE) {
    delete[] item->text;
    delete item;
    return LB_ERR;
  }
  return static_cast<int>(index);
}

int GetCheckListCheck(HWND list, int index) {
  CheckListItem* item = ItemAt(list, index);
  return item ? item->check : 0;
}

int SetCheckListCheck(HWND list, int index, int value) {
  CheckListItem* item = ItemAt(list, index);
  if (!item)
    return 0;
  item->check = value;
  RedrawItem(list, index);
  return 1;
}

void* GetCheckListData(HWND list, int index) {
  CheckListItem* item = ItemAt(list, index);
  return item ? item->data : nullptr;
}
