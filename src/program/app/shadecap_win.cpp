// CShadeCapFrame: caption bitmaps, cached per active state.
#include "shadecap.h"

#include <algorithm>
#include <cstdint>
#include <string>

std::vector<CaptionBand> ShadedCaptionBands(int width, COLORREF colour) {
  std::vector<CaptionBand> bands;
  if (width <= 0)
    return bands;
  const int64_t d0 = static_cast<int64_t>(width) * 5 / 6;
  const int band = std::max<int>(static_cast<int>(d0 / 64), 1);
  const int64_t dd = d0 * d0;
  auto shade = [&](int64_t c, int64_t d) {
    return dd == 0 ? c : c - (d * d * c) / dd;
  };
  std::vector<CaptionBand> shaded;
  int x = static_cast<int>(d0);
  while (x > band) {
    x -= band;
    int64_t d = d0 - x;
    shaded.push_back({x, RGB(shade(GetRValue(colour), d), shade(GetGValue(colour), d),
                             shade(GetBValue(colour), d))});
  }
  bands.push_back({0, RGB(0, 0, 0)});
  if (x == 0)
    bands.clear();
  for (auto it = shaded.rbegin(); it != shaded.rend(); ++it)
    bands.push_back(*it);
  bands.push_back({static_cast<int>(d0), colour});
  return bands;
}

int ColourLightness(COLORREF colour) {
  int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
  int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  return ((mx + mn) * 240 + 255) / 510;
}

CShadeCapFrame::~CShadeCapFrame() { DropCache(); }

void CShadeCapFrame::DropCache() {
  for (HBITMAP& b : bitmaps_) {
    if (b)
      ::DeleteObject(b);
    b = nullptr;
  }
  if (captionFont_)
    ::DeleteObject(captionFont_);
  if (titleFont_)
    ::DeleteObject(titleFont_);
  captionFont_ = titleFont_ = nullptr;
  cachedFor_ = {};
}

RECT CShadeCapFrame::CaptionRect() const {
  RECT r;
  ::GetWindowRect(hwnd_, &r);
  ::OffsetRect(&r, -r.left, -r.top);
  bool sizing = (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_THICKFRAME) != 0;
  int fx = ::GetSystemMetrics(sizing ? SM_CXFRAME : SM_CXDLGFRAME);
  int fy = ::GetSystemMetrics(sizing ? SM_CYFRAME : SM_CYDLGFRAME);
  r.left += fx;
  r.right -= fx;
  r.top += fy;
  r.bottom = r.top + ::GetSystemMetrics(SM_CYCAPTION) - ::GetSystemMetrics(SM_CYBORDER);
  return r;
}

HBITMAP CShadeCapFrame::BuildCaption(bool active, const RECT& caption) {
  const int w = caption.right - caption.left, h = caption.bottom - caption.top;
  if (w <= 0 || h <= 0)
    return nullptr;
  if (!captionFont_) {
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    captionFont_ = ::CreateFontIndirectA(&ncm.lfCaptionFont);
    LOGFONTA title = {};
    title.lfHeight = ncm.lfCaptionFont.lfHeight;
    title.lfWeight = FW_BOLD;
    title.lfCharSet = ANSI_CHARSET;
    title.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpyA(title.lfFaceName, "MS Sans Serif");
    titleFont_ = ::CreateFontIndirectA(&title);
  }
  HDC screen = ::GetDC(hwnd_);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, w, h);
  ::ReleaseDC(hwnd_, screen);
  HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);

  if (active) {
    std::vector<CaptionBand> bands = ShadedCaptionBands(w, ::GetSysColor(COLOR_ACTIVECAPTION));
    for (size_t i = 0; i < bands.size(); ++i) {
      RECT r = {bands[i].x, 0, i + 1 < bands.size() ? bands[i + 1].x : w, h};
      HBRUSH brush = ::CreateSolidBrush(bands[i].colour);
      ::FillRect(dc, &r, brush);
      ::DeleteObject(brush);
    }
  } else {
    RECT r = {0, 0, w, h};
    ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_INACTIVECAPTION));
  }

  const int bw = ::GetSystemMetrics(SM_CXSIZE), bh = ::GetSystemMetrics(SM_CYSIZE);
  HICON icon = reinterpret_cast<HICON>(::GetClassLongPtrA(hwnd_, GCLP_HICONSM));
  if (!icon)
    icon = reinterpret_cast<HICON>(::GetClassLongPtrA(hwnd_, GCLP_HICON));
  if (icon)
    ::DrawIconEx(dc, 2, 1, icon, bw - 2, bh - 2, 0, nullptr, DI_NORMAL);

  LONG style = ::GetWindowLongA(hwnd_, GWL_STYLE);
  int right = w - 2;
  RECT button = {right - (bw - 2), 2, right, 2 + bh - 4};
  ::DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE);
  if (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
    ::OffsetRect(&button, -(bw - 2) - 2, 0);
    UINT kind = ::IsZoomed(hwnd_) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX;
    if (!(style & WS_MAXIMIZEBOX))
      kind |= DFCS_INACTIVE;
    ::DrawFrameControl(dc, &button, DFC_CAPTION, kind);
  }
  if (style & WS_MINIMIZEBOX) {
    ::OffsetRect(&button, -(bw - 2), 0);
    ::DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONMIN);
  }

  // The title: the application in bold white, then " - " and the document.
  char text[512] = {};
  ::GetWindowTextA(hwnd_, text, sizeof text);
  std::string all = text;
  std::string app = all, doc;
  size_t dash = all.find(" - ");
  if (dash != std::string::npos) {
    app = all.substr(0, dash);
    doc = all.substr(dash + 3);
  }
  ::SetBkMode(dc, TRANSPARENT);
  RECT area = {bw + 2, 0, button.left - 2, h};
  HGDIOBJ oldFont = ::SelectObject(dc, titleFont_);
  ::SetTextColor(dc, RGB(255, 255, 255));
  RECT measure = area;
  ::DrawTextA(dc, app.c_str(), -1, &measure,
              DT_SINGLELINE | DT_VCENTER | DT_CALCRECT | DT_NOPREFIX);
  ::DrawTextA(dc, app.c_str(), -1, &area,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  if (!doc.empty() && measure.right < area.right) {
    RECT rest = {measure.right, 0, area.right, h};
    ::SelectObject(dc, captionFont_);
    COLORREF c = ::GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
    if (active && ColourLightness(c) < 90)
      c = RGB(255, 255, 255);
    ::SetTextColor(dc, c);
    std::string part = " - " + doc;
    ::DrawTextA(dc, part.c_str(), -1, &rest,
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  ::SelectObject(dc, oldFont);
  ::SelectObject(dc, oldBitmap);
  ::DeleteDC(dc);
  return bitmap;
}

void CShadeCapFrame::PaintCaption() {
  if (::IsIconic(hwnd_))
    return;
  RECT caption = CaptionRect();
  if (!::EqualRect(&caption, &cachedFor_)) {
    for (HBITMAP& b : bitmaps_) {
      if (b)
        ::DeleteObject(b);
      b = nullptr;
    }
    cachedFor_ = caption;
  }
  HBITMAP& bitmap = bitmaps_[active_ ? 1 : 0];
  if (!bitmap)
    bitmap = BuildCaption(active_, caption);
  if (!bitmap)
    return;
  HDC window = ::GetWindowDC(hwnd_);
  HDC dc = ::CreateCompatibleDC(window);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  ::BitBlt(window, caption.left, caption.top, caption.right - caption.left,
           caption.bottom - caption.top, dc, 0, 0, SRCCOPY);
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::ReleaseDC(hwnd_, window);
}

LRESULT CShadeCapFrame::WithoutVisible(UINT msg, WPARAM wParam, LPARAM lParam) {
  // The system would draw its own caption while the window is visible.
  LONG style = ::GetWindowLongA(hwnd_, GWL_STYLE);
  ::SetWindowLongA(hwnd_, GWL_STYLE, style & ~WS_VISIBLE);
  LRESULT result = ::DefWindowProcA(hwnd_, msg, wParam, lParam);
  ::SetWindowLongA(hwnd_, GWL_STYLE, style);
  return result;
}

LRESULT CShadeCapFrame::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  OSVERSIONINFOA os = {};
  os.dwOSVersionInfoSize = sizeof os;
  ::GetVersionExA(&os);
  if (os.dwMajorVersion < 4)
    return kwf::Window::OnMessage(msg, wParam, lParam);
  switch (msg) {
    case WM_NCPAINT: {
      if (::IsIconic(hwnd_))
        break;
      RECT window;
      ::GetWindowRect(hwnd_, &window);
      RECT caption = CaptionRect();
      ::OffsetRect(&caption, window.left, window.top);
      HRGN rest = ::CreateRectRgnIndirect(&window);
      HRGN cap = ::CreateRectRgnIndirect(&caption);
      ::CombineRgn(rest, rest, cap, RGN_DIFF);
      if (wParam != 1)
        ::CombineRgn(rest, rest, reinterpret_cast<HRGN>(wParam), RGN_AND);
      ::DefWindowProcA(hwnd_, WM_NCPAINT, reinterpret_cast<WPARAM>(rest), 0);
      ::DeleteObject(cap);
      ::DeleteObject(rest);
      PaintCaption();
      return 0;
    }
    case WM_NCACTIVATE: {
      LRESULT result = WithoutVisible(msg, wParam, lParam);
      active_ = wParam != FALSE;
      ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
      return result ? result : TRUE;
    }
    case WM_SETTEXT: {
      LRESULT result = WithoutVisible(msg, wParam, lParam);
      // The cached bitmaps carry the old title.
      for (HBITMAP& b : bitmaps_) {
        if (b)
          ::DeleteObject(b);
        b = nullptr;
      }
      ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
      return result;
    }
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      DropCache();
      break;
  }
  return kwf::Window::OnMessage(msg, wParam, lParam);
}
