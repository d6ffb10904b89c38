// PropSheet and PropPage over the common controls' property sheet.
#include "framework.h"

#include "reslang.h"

#include <commctrl.h>

namespace kwf {

namespace {
SheetSeam g_sheetSeam = nullptr;
}

void SetSheetSeam(SheetSeam seam) { g_sheetSeam = seam; }

void PropPage::SetModified(bool modified) {
  if (hwnd_)
    ::SendMessageA(::GetParent(hwnd_), modified ? PSM_CHANGED : PSM_UNCHANGED,
                   reinterpret_cast<WPARAM>(hwnd_), 0);
}

INT_PTR CALLBACK PropPage::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  PropPage* self;
  if (msg == WM_INITDIALOG) {
    // lParam is the sheet's copy of the page description.
    self = reinterpret_cast<PropPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<PropPage*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  return Dispatch(self, hwnd, msg, wParam, lParam);
}

bool PropPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  if (msg != WM_NOTIFY)
    return false;
  UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
  if (code == static_cast<UINT>(PSN_APPLY)) {
    bool ok = OnApply();
    ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, ok ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
    *result = TRUE;
    return true;
  }
  if (code == static_cast<UINT>(PSN_RESET)) {
    OnReset();
    *result = TRUE;
    return true;
  }
  return false;
}

PropSheet::~PropSheet() { DestroyModeless(); }

INT_PTR PropSheet::Run(HWND parent, bool modeless) {
  std::vector<PROPSHEETPAGEA> pages(pages_.size());
  for (size_t i = 0; i < pages_.size(); ++i) {
    PROPSHEETPAGEA& p = pages[i];
    p = {};
    p.dwSize = sizeof p;
    p.dwFlags = PSP_DEFAULT;
    p.hInstance = theLanguageArray.GetResourceModule();
    p.pszTemplate = MAKEINTRESOURCEA(pages_[i]->TemplateId());
    p.pfnDlgProc = &PropPage::StaticProc;
    p.lParam = reinterpret_cast<LPARAM>(pages_[i]);
  }
  PROPSHEETHEADERA h = {};
  h.dwSize = sizeof h;
  h.dwFlags = PSH_PROPSHEETPAGE | (modeless ? PSH_MODELESS : 0) | (noApply_ ? PSH_NOAPPLYNOW : 0);
  h.hwndParent = parent;
  h.hInstance = theLanguageArray.GetResourceModule();
  h.pszCaption = caption_.c_str();
  h.nPages = static_cast<UINT>(pages.size());
  h.ppsp = pages.data();
  return theLanguageArray.PropertySheet(&h);
}

INT_PTR PropSheet::DoModal(HWND parent) {
  if (g_sheetSeam)
    return g_sheetSeam(*this);
  INT_PTR result = Run(parent, false);
  return result > 0 ? IDOK : IDCANCEL;
}

HWND PropSheet::CreateModeless(HWND parent) {
  DestroyModeless();
  hwnd_ = reinterpret_cast<HWND>(Run(parent, true));
  if (hwnd_ && !::IsWindow(hwnd_))
    hwnd_ = nullptr;
  return hwnd_;
}

bool PropSheet::Finished() const {
  // A modeless sheet has no current page once OK or Cancel has ended it.
  return !hwnd_ || !::SendMessageA(hwnd_, PSM_GETCURRENTPAGEHWND, 0, 0);
}

void PropSheet::DestroyModeless() {
  if (hwnd_ && ::IsWindow(hwnd_))
    ::DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

}  // namespace kwf
