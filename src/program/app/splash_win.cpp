// CSplashScreen: the start-up picture, top-most, with its own palette.
#include "app.h"

#include "controls.h"
#include "reslang.h"

namespace {
constexpr char kSplashClass[] = "KitwrightSplash";
}

CSplashScreen::~CSplashScreen() { Hide(); }

bool CSplashScreen::Show(HINSTANCE instance) {
  if (hwnd_)
    return true;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(instance, kSplashClass, &wc)) {
    wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = &kwf::Window::StaticProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kSplashClass;
    if (!::RegisterClassExA(&wc))
      return false;
  }
  bitmap_ = LoadBitmapEx(theLanguageArray.GetResourceModule(), kBitmapId, &palette_);
  if (!bitmap_)
    return false;
  BITMAP info = {};
  ::GetObjectA(bitmap_, sizeof info, &info);
  int x = (::GetSystemMetrics(SM_CXSCREEN) - info.bmWidth) / 2;
  int y = (::GetSystemMetrics(SM_CYSCREEN) - info.bmHeight) / 2;
  if (!Create(WS_EX_TOPMOST, kSplashClass, "", WS_POPUP, x, y, info.bmWidth,
              info.bmHeight, nullptr, nullptr, instance)) {
    ::DeleteObject(bitmap_);
    bitmap_ = nullptr;
    if (palette_)
      ::DeleteObject(palette_);
    palette_ = nullptr;
    return false;
  }
  ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  ::UpdateWindow(hwnd_);
  return true;
}

void CSplashScreen::KeepInFront() {
  if (!hwnd_)
    return;
  // Shown again, not only moved: a system that already counts it top-most
  // may leave a window mapped later above it on the screen.
  ::ShowWindow(hwnd_, SW_HIDE);
  ::SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CSplashScreen::Hide() {
  if (hwnd_)
    ::DestroyWindow(hwnd_);
}

void CSplashScreen::UnregisterClass(HINSTANCE instance) { ::UnregisterClassA(kSplashClass, instance); }

bool CSplashScreen::RealizeOwnPalette() {
  if (!palette_)
    return false;
  HDC dc = ::GetDC(hwnd_);
  HPALETTE old = ::SelectPalette(dc, palette_, FALSE);
  UINT changed = ::RealizePalette(dc);
  ::SelectPalette(dc, old, TRUE);
  ::ReleaseDC(hwnd_, dc);
  if (changed)
    ::InvalidateRect(hwnd_, nullptr, FALSE);
  return changed != 0;
}

LRESULT CSplashScreen::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd_, &ps);
      HPALETTE oldPalette = palette_ ? ::SelectPalette(dc, palette_, FALSE) : nullptr;
      if (palette_)
        ::RealizePalette(dc);
      HDC memory = ::CreateCompatibleDC(dc);
      HGDIOBJ old = ::SelectObject(memory, bitmap_);
      BITMAP info = {};
      ::GetObjectA(bitmap_, sizeof info, &info);
      ::BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
      ::SelectObject(memory, old);
      ::DeleteDC(memory);
      if (oldPalette)
        ::SelectPalette(dc, oldPalette, TRUE);
      ::EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_QUERYNEWPALETTE:
      return RealizeOwnPalette() ? TRUE : FALSE;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) != hwnd_)
        RealizeOwnPalette();
      return 0;
    case WM_DESTROY:
      if (bitmap_)
        ::DeleteObject(bitmap_);
      if (palette_)
        ::DeleteObject(palette_);
      bitmap_ = nullptr;
      palette_ = nullptr;
      return 0;
  }
  return kwf::Window::OnMessage(msg, wParam, lParam);
}
