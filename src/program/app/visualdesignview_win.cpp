// The Visual Design tab and its colour swatches.
#include "visualdesignview.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kColorStaticProperty[] = "kw.ColorStatic";

// Fills a swatch in a colour and frames it with an etched edge; with
// unused set, half its pixels take the dialog colour, a checkerboard that
// tells the colour is not in use.
void PaintSwatch(HDC dc, RECT r, COLORREF color, bool unused, bool focused) {
  HBRUSH brush = ::CreateSolidBrush(color);
  HGDIOBJ old = ::SelectObject(dc, brush);
  ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
  ::SelectObject(dc, old);
  ::DeleteObject(brush);
  if (unused) {
    static const WORD kRows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    HBITMAP pattern = ::CreateBitmap(8, 8, 1, 1, kRows);
    HBRUSH checker = ::CreatePatternBrush(pattern);
    // A monochrome brush draws its 0 bits in the text colour, its 1 bits in the background colour.
    COLORREF oldText = ::SetTextColor(dc, color);
    COLORREF oldBack = ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::FillRect(dc, &r, checker);
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
    ::DeleteObject(checker);
    ::DeleteObject(pattern);
  }
  ::DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
  if (focused) {
    ::InflateRect(&r, -3, -3);
    ::DrawFocusRect(dc, &r);
  }
}

}  // namespace

// CVisualDesignView::CColorStatic

CVisualDesignView::CColorStatic::~CColorStatic() {
  if (hwnd_ && ::IsWindow(hwnd_))
    Detach();
}

void CVisualDesignView::CColorStatic::Attach(HWND control) {
  if (!control || hwnd_)
    return;
  hwnd_ = control;
  ::SetPropA(control, kColorStaticProperty, this);
  oldProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CColorStatic::Proc)));
}

void CVisualDesignView::CColorStatic::Detach() {
  ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
  ::RemovePropA(hwnd_, kColorStaticProperty);
  hwnd_ = nullptr;
}

LRESULT CALLBACK CVisualDesignView::CColorStatic::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CColorStatic*>(::GetPropA(hwnd, kColorStaticProperty));
  if (!self)
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
  WNDPROC old = self->oldProc_;
  switch (msg) {
    case WM_PAINT:
      ::ValidateRect(hwnd, nullptr);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      // Keys and mnemonics treat it as the button it is.
      return ::CallWindowProcA(old, hwnd, msg, wParam, lParam) & ~DLGC_STATIC;
    case WM_NCDESTROY:
      self->Detach();
      break;
  }
  return ::CallWindowProcA(old, hwnd, msg, wParam, lParam);
}

// CVisualDesignView

bool CVisualDesignView::OnInitDialog() {
  CTabClientEx::OnInitDialog();
  from_.Attach(Item(kFrom));
  to_.Attach(Item(kTo));
  LimitText(kTitle);
  LimitText(kSeconds);
  return false;
}

RECT CVisualDesignView::SwatchRect(int id) const {
  RECT r = {};
  HWND control = Item(id);
  if (control) {
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

void CVisualDesignView::InvalidateSwatch(int id) {
  RECT r = SwatchRect(id);
  ::InvalidateRect(hwnd_, &r, TRUE);
}

void CVisualDesignView::Fill() {
  SetItemText(kTitle, project_->m_strSetupTitle);
  SetCheck(kTitleBar, project_->m_dwShowTitleBar != 0);
  ::CheckRadioButton(hwnd_, kGradient, kSolid, project_->m_dwGradient ? kGradient : kSolid);
  InvalidateSwatch(kFrom);
  InvalidateSwatch(kTo);
  SetCheck(kLengthen, (project_->m_dwFlags & CKitwrightProject::kMinInstallTime) != 0);
  char seconds[16];
  std::snprintf(seconds, sizeof seconds, "%ld", static_cast<long>(static_cast<int32_t>(project_->m_dwMinInstallTime)));
  SetItemText(kSeconds, seconds);
}

void CVisualDesignView::PickColor(int id) {
  uint32_t& field = id == kFrom ? project_->m_dwGradientFrom : project_->m_dwGradientTo;
  COLORREF color = field;
  if (kwf::PromptColor(hwnd_, &color) && Store(field, color))
    InvalidateSwatch(id);
}

bool CVisualDesignView::OnCommand(WORD id, WORD code, HWND control) {
  if (!Editing())
    return CTabClientEx::OnCommand(id, code, control);
  switch (id) {
    case kTitle:
      if (code == EN_CHANGE)
        StoreText(project_->m_strSetupTitle, kTitle);
      return true;
    case kTitleBar:
      if (code == BN_CLICKED)
        Store(project_->m_dwShowTitleBar, Checked(kTitleBar) ? 1 : 0);
      return true;
    case kGradient:
    case kSolid:
      if (code == BN_CLICKED) {
        Store(project_->m_dwGradient, Checked(kGradient) ? 1 : 0);
        InvalidateSwatch(kTo);
      }
      return true;
    case kFrom:
    case kTo:
      // The end colour of a solid background is not in use: nothing to choose.
      if (code == BN_CLICKED && (id == kFrom || project_->m_dwGradient))
        PickColor(id);
      return true;
    case kLengthen:
      if (code == BN_CLICKED)
        StoreFlag(CKitwrightProject::kMinInstallTime, Checked(kLengthen));
      return true;
    case kSeconds:
      if (code == EN_CHANGE)
        Store(project_->m_dwMinInstallTime, std::strtol(ItemText(kSeconds).c_str(), nullptr, 10));
      return true;
  }
  return CTabClientEx::OnCommand(id, code, control);
}

void CVisualDesignView::Paint(HDC dc) {
  if (!project_)
    return;
  HWND focus = ::GetFocus();
  PaintSwatch(dc, SwatchRect(kFrom), project_->m_dwGradientFrom, false, focus == from_.Handle());
  PaintSwatch(dc, SwatchRect(kTo), project_->m_dwGradientTo, project_->m_dwGradient == 0, focus == to_.Handle());
}

bool CVisualDesignView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd_, &ps);
      Paint(dc);
      ::EndPaint(hwnd_, &ps);
      *result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      // A swatch's own redraw (focus, press) is the view's paint.
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != static_cast<UINT>(kFrom) && item->CtlID != static_cast<UINT>(kTo))
        break;
      InvalidateSwatch(static_cast<int>(item->CtlID));
      *result = TRUE;
      return true;
    }
  }
  return CTabClientEx::OnMessage(msg, wParam, lParam, result);
}
