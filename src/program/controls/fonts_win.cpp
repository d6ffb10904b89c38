// Regular-weight and title fonts for dialogs, and path texts that fit.
#include "controls.h"

#include <cstdlib>
#include <algorithm>
#include <cstring>

namespace {

HFONT g_regular = nullptr;
HFONT g_title = nullptr;
UINT g_resizeMessage = 0;
bool g_cleanupRegistered = false;

bool IsWindowsNT() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsPlainLeftStatic(HWND window) {
  char name[16] = {};
  if (!::GetClassNameA(window, name, sizeof name) || lstrcmpiA(name, "Static") != 0)
    return false;
  return (::GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_LEFT;
}

bool IsStatic(HWND window) {
  char name[16] = {};
  return ::GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, "Static") == 0;
}

BOOL CALLBACK ApplyToChild(HWND child, LPARAM) {
  ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_regular), FALSE);
  int id = ::GetDlgCtrlID(child);
  bool modern = LOBYTE(LOWORD(::GetVersion())) >= 4;
  if ((id == 501 || id == 502) && IsPlainLeftStatic(child))
    ::ShowWindow(child, (id == 501) == modern ? SW_SHOW : SW_HIDE);
  if (id == 503 && IsStatic(child) && g_title)
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_title), FALSE);
  return TRUE;
}

void CreateFonts(HWND dialog) {
  auto font = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
  LOGFONTA log = {};
  if (!font || !::GetObjectA(font, sizeof log, &log))
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof log, &log);
  log.lfWeight = FW_NORMAL;
  g_regular = ::CreateFontIndirectA(&log);
  LOGFONTA title = log;
  title.lfHeight = -18;
  title.lfWeight = FW_NORMAL;
  title.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(title.lfFaceName, "Times New Roman", LF_FACESIZE);
  g_title = ::CreateFontIndirectA(&title);
  if (!IsWindowsNT())
    g_resizeMessage = ::RegisterWindowMessageA("WM_NB32sRESIZE");
  if (!g_cleanupRegistered) {
    g_cleanupRegistered = true;
    std::atexit(&FreeNonBoldFonts);
  }
}

int TextWidth(HDC dc, const std::string& text) {
  SIZE size = {};
  ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

void MakeNonBold(HWND dialog) {
  if (!dialog)
    return;
  if (!g_regular)
    CreateFonts(dialog);
  if (!g_regular)
    return;
  ::SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(g_regular), FALSE);
  ::EnumChildWindows(dialog, &ApplyToChild, 0);
}

UINT NonBoldResizeMessage() { return g_resizeMessage; }

void FreeNonBoldFonts() {
  if (g_regular)
    ::DeleteObject(g_regular);
  if (g_title)
    ::DeleteObject(g_title);
  g_regular = g_title = nullptr;
}

std::string FitPathText(HDC dc, int width, const char* path) {
  std::string text = path ? path : "";
  if (TextWidth(dc, text) <= width)
    return text;
  size_t slash = text.find('\\');
  if (slash == std::string::npos)
    return text;
  size_t start = slash + 1;
  text.replace(start, std::min<size_t>(3, text.size() - start), "...");
  size_t cut = start + 3;
  while (cut < text.size() && TextWidth(dc, text) > width)
    text.erase(cut, 1);
  return text;
}

void SetPathText(HWND dialog, int controlId, const char* path) {
  HWND control = ::GetDlgItem(dialog, controlId);
  if (!control)
    return;
  ::SetWindowTextA(control, path ? path : "");
  RECT client;
  ::GetClientRect(control, &client);
  HDC dc = ::GetDC(control);
  auto font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
  std::string fitted = FitPathText(dc, client.right - client.left, path);
  if (old)
    ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  ::SetWindowTextA(control, fitted.c_str());
}
