// Dialog: modal and modeless dialogs from the current resource library.
#include "framework.h"

#include "errors.h"
#include "reslang.h"

namespace kwf {

namespace {
ModalSeam g_modalSeam = nullptr;
}

void SetModalSeam(ModalSeam seam) { g_modalSeam = seam; }

Dialog::~Dialog() {
  if (hwnd_ && !modal_) {
    ::SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    ::DestroyWindow(hwnd_);
  }
}

INT_PTR Dialog::DoModal(HWND parent) {
  if (g_modalSeam)
    return g_modalSeam(*this);
  modal_ = true;
  INT_PTR result = theLanguageArray.DialogBoxParam(MAKEINTRESOURCEA(templateId_), parent,
                                                   &Dialog::StaticProc,
                                                   reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  return result;
}

HWND Dialog::CreateModeless(HWND parent) {
  modal_ = false;
  return theLanguageArray.CreateDialogParam(MAKEINTRESOURCEA(templateId_), parent,
                                            &Dialog::StaticProc, reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent) {
  modal_ = false;
  return ::CreateDialogIndirectParamA(theLanguageArray.GetResourceModule(), dialogTemplate, parent,
                                      &Dialog::StaticProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::EndDialog(INT_PTR result) {
  if (modal_)
    ::EndDialog(hwnd_, result);
  else
    ::DestroyWindow(hwnd_);
}

bool Dialog::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDOK) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  return Dispatch(self, hwnd, msg, wParam, lParam);
}

INT_PTR Dialog::Dispatch(Dialog* self, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!self)
    return FALSE;
  INT_PTR result = FALSE;
  try {
    if (msg == WM_INITDIALOG) {
      result = self->OnInitDialog() ? TRUE : FALSE;
    } else if (msg == WM_COMMAND) {
      result = self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    } else if (!self->OnMessage(msg, wParam, lParam, &result)) {
      result = FALSE;
    }
  } catch (...) {
    ReportCaughtException(__FILE__, __LINE__);
    result = FALSE;
  }
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

void CenterWindow(HWND hwnd) {
  RECT area;
  HWND owner = ::GetWindow(hwnd, GW_OWNER);
  if (!owner)
    owner = ::GetParent(hwnd);
  if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
    ::GetWindowRect(owner, &area);
  else
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT r;
  ::GetWindowRect(hwnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = area.left + (area.right - area.left - w) / 2;
  int y = area.top + (area.bottom - area.top - h) / 2;
  ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kwf
