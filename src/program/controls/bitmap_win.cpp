// Bitmap loading with the background blended into the dialog colour, and the
// bitmap control that shows such a bitmap.
#include "controls.h"

#include "profile.h"
#include "reslang.h"

#include <vector>

namespace {

bool IsWindows95() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// A palette for bitmaps of up to 8 bits per pixel, from the DIB's colour table.
HPALETTE PaletteFromDib(const BITMAPINFOHEADER* header, DWORD size) {
  if (header->biBitCount > 8 || header->biSize > size)
    return nullptr;
  DWORD count = 1u << header->biBitCount;
  if (header->biClrUsed != 0 && header->biClrUsed < count)
    count = header->biClrUsed;
  if ((size - header->biSize) / sizeof(RGBQUAD) < count)
    return nullptr;
  auto* colours = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) +
                                                   header->biSize);
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(storage.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(count);
  for (DWORD i = 0; i < count; ++i)
    log->palPalEntry[i] = {colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue, 0};
  return ::CreatePalette(log);
}

HBITMAP LoadWithPalette(HINSTANCE instance, UINT id, HPALETTE* palette) {
  *palette = nullptr;
  HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_BITMAP));
  if (!found)
    return nullptr;
  DWORD size = ::SizeofResource(instance, found);
  HGLOBAL loaded = ::LoadResource(instance, found);
  auto* header = loaded ? static_cast<const BITMAPINFOHEADER*>(::LockResource(loaded)) : nullptr;
  if (!header || size < sizeof(BITMAPINFOHEADER) || header->biSize < sizeof(BITMAPINFOHEADER) ||
      header->biSize > size)
    return nullptr;
  DWORD colours = header->biBitCount <= 8 ? (header->biClrUsed ? header->biClrUsed
                                                               : 1u << header->biBitCount)
                                          : 0;
  if (header->biCompression == BI_BITFIELDS)
    colours = 3;
  DWORD tableBytes = colours * sizeof(RGBQUAD);
  if (size - header->biSize < tableBytes)
    return nullptr;
  *palette = PaletteFromDib(header, size);
  HDC screen = ::GetDC(nullptr);
  HPALETTE oldPalette = nullptr;
  if (*palette) {
    oldPalette = ::SelectPalette(screen, *palette, FALSE);
    ::RealizePalette(screen);
  }
  const BYTE* bits = reinterpret_cast<const BYTE*>(header) + header->biSize + tableBytes;
  HBITMAP bitmap = ::CreateDIBitmap(screen, header, CBM_INIT, bits,
                                    reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS);
  if (oldPalette)
    ::SelectPalette(screen, oldPalette, FALSE);
  ::ReleaseDC(nullptr, screen);
  return bitmap;
}


LRESULT CALLBACK BitmapControlProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

constexpr int kBitmapSlot = sizeof(LONG_PTR);  // the second window word

HBITMAP ControlBitmap(HWND window) {
  return reinterpret_cast<HBITMAP>(::GetWindowLongPtrA(window, kBitmapSlot));
}

void FitToBitmap(HWND window) {
  BITMAP info = {};
  HBITMAP bitmap = ControlBitmap(window);
  if (bitmap && ::GetObjectA(bitmap, sizeof info, &info))
    ::SetWindowPos(window, nullptr, 0, 0, info.bmWidth, info.bmHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LoadControlBitmap(HWND window) {
  UINT id = static_cast<UINT>(::GetDlgCtrlID(window));
  HBITMAP bitmap = LoadBitmapEx(theLanguageArray.GetResourceModule(), id, nullptr);
  HBITMAP old = reinterpret_cast<HBITMAP>(
      ::SetWindowLongPtrA(window, kBitmapSlot, reinterpret_cast<LONG_PTR>(bitmap)));
  if (old)
    ::DeleteObject(old);
}

LRESULT CALLBACK BitmapControlProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      LoadControlBitmap(window);
      FitToBitmap(window);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(window, &ps);
      if (HBITMAP bitmap = ControlBitmap(window)) {
        BITMAP info = {};
        ::GetObjectA(bitmap, sizeof info, &info);
        HDC source = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(source, bitmap);
        ::BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        ::SelectObject(source, old);
        ::DeleteDC(source);
      }
      ::EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_SYSCOLORCHANGE:
      LoadControlBitmap(window);
      ::InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_DESTROY:
      if (HBITMAP bitmap = ControlBitmap(window)) {
        ::SetWindowLongPtrA(window, kBitmapSlot, 0);
        ::DeleteObject(bitmap);
      }
      return 0;
  }
  UINT resize = NonBoldResizeMessage();
  if (resize != 0 && msg == resize) {
    FitToBitmap(window);
    return 0;
  }
  return ::DefWindowProcA(window, msg, wParam, lParam);
}

}  // namespace

COLORREF DialogBackgroundColour() {
  DWORD version = ::GetVersion();
  if (LOBYTE(LOWORD(version)) >= 4)
    return ::GetSysColor(COLOR_BTNFACE);
  return RGB(0xC0, 0xC0, 0xC0);
}

HBITMAP BlendBitmapBackground(HBITMAP source, COLORREF target, unsigned steps) {
  BITMAP info = {};
  if (!source || !::GetObjectA(source, sizeof info, &info) || info.bmWidth <= 0 ||
      info.bmHeight <= 0)
    return nullptr;
  const int w = info.bmWidth, h = info.bmHeight;
  HDC screen = ::GetDC(nullptr);
  HDC src = ::CreateCompatibleDC(screen);
  HDC dst = ::CreateCompatibleDC(screen);
  HDC msk = ::CreateCompatibleDC(screen);
  HBITMAP result = ::CreateCompatibleBitmap(screen, w, h);
  HBITMAP mask = ::CreateBitmap(w, h, 1, 1, nullptr);
  ::ReleaseDC(nullptr, screen);
  if (!result || !mask || !src || !dst || !msk) {
    if (result) ::DeleteObject(result);
    if (mask) ::DeleteObject(mask);
    if (src) ::DeleteDC(src);
    if (dst) ::DeleteDC(dst);
    if (msk) ::DeleteDC(msk);
    return nullptr;
  }
  HGDIOBJ oldSrc = ::SelectObject(src, source);
  HGDIOBJ oldDst = ::SelectObject(dst, result);
  HGDIOBJ oldMsk = ::SelectObject(msk, mask);

  HBRUSH fill = ::CreateSolidBrush(target);
  RECT all = {0, 0, w, h};
  ::FillRect(dst, &all, fill);
  ::DeleteObject(fill);

  // Mask bits are set where the picture has the colour of its top-left pixel.
  COLORREF transparent = ::GetPixel(src, 0, 0);
  ::SetBkColor(src, transparent);
  ::BitBlt(msk, 0, 0, w, h, src, 0, 0, SRCCOPY);

  // A mask blitted onto colour: set bits take the background colour, clear
  // bits the text colour (black).
  ::SetTextColor(dst, RGB(0, 0, 0));
  if (steps & 1) {
    ::SetBkColor(dst, RGB(255, 255, 255));
    ::BitBlt(dst, 0, 0, w, h, msk, 0, 0, SRCAND);
  }
  if (steps & 2)
    ::BitBlt(dst, 0, 0, w, h, src, 0, 0, SRCPAINT);
  if (steps & 4) {
    ::SetBkColor(dst, transparent);
    ::BitBlt(dst, 0, 0, w, h, msk, 0, 0, SRCINVERT);
  }
  if (steps & 8) {
    ::SetBkColor(dst, target);
    ::BitBlt(dst, 0, 0, w, h, msk, 0, 0, SRCPAINT);
  }

  ::SelectObject(src, oldSrc);
  ::SelectObject(dst, oldDst);
  ::SelectObject(msk, oldMsk);
  ::DeleteDC(src);
  ::DeleteDC(dst);
  ::DeleteDC(msk);
  ::DeleteObject(mask);
  return result;
}

HBITMAP LoadBitmapEx(HINSTANCE instance, UINT id, HPALETTE* palette) {
  ::SetLastError(0);
  HBITMAP loaded = palette ? LoadWithPalette(instance, id, palette)
                           : theLanguageArray.LoadBitmap(MAKEINTRESOURCEA(id));
  if (!loaded)
    return nullptr;
  if (IsWindows95() && ::GetLastError() != 0)
    return loaded;
  unsigned steps = ProfileGetInt("Debugging", "LoadBitmapEx", 15);
  HBITMAP result = BlendBitmapBackground(loaded, DialogBackgroundColour(), steps);
  if (!result)
    return loaded;
  ::DeleteObject(loaded);
  return result;
}

ATOM RegisterBitmapControl(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_GLOBALCLASS | CS_SAVEBITS;
  wc.lpfnWndProc = &BitmapControlProc;
  // Two window words; the second holds the bitmap.
  wc.cbWndExtra = 2 * sizeof(LONG_PTR);
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kBitmapControlClass;
  return theLanguageArray.RegisterWindowClass(&wc);
}
