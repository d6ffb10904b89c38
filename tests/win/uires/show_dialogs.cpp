// Shows dialog templates of a UI resource library one after the other, for
// screenshots: show_dialogs <library> <marker folder> <id>...
// After showing a template it writes <folder>\ready_<id> and waits for
// <folder>\shot_<id> before going on.
#include "controls.h"
#include "reslang.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

INT_PTR CALLBACK Quiet(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return ::DefWindowProcA(w, m, wp, lp);
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void PumpFor(DWORD ms) {
  DWORD end = ::GetTickCount() + ms;
  while (static_cast<int>(end - ::GetTickCount()) > 0) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::Sleep(20);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4)
    return 2;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);
  std::string folder = argv[1];
  std::string marks = argv[2];
  theLanguageArray.SetFolder(folder + "\\");
  if (!theLanguageArray.Load())
    return 3;
  HINSTANCE self = ::GetModuleHandleA(nullptr);
  RegisterCheckListBox(self);
  RegisterBitmapControl(self);
  WNDCLASSA host = {};
  host.lpfnWndProc = &HostProc;
  host.hInstance = self;
  host.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
  host.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  host.lpszClassName = "KwrDialogHost";
  ::RegisterClassA(&host);
  HMODULE lib = theLanguageArray.GetResourceModule();
  for (int i = 3; i < argc; ++i) {
    int id = std::atoi(argv[i]);
    HRSRC r = ::FindResourceA(lib, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!r)
      continue;
    auto* t = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(lib, r)));
    bool child = (t->style & WS_CHILD) != 0;
    HWND parent = nullptr, dialog = nullptr;
    if (child) {
      char caption[64];
      std::snprintf(caption, sizeof caption, "Template %d", id);
      parent = ::CreateWindowA("KwrDialogHost", caption, WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                               10, 10, 700, 500, nullptr, nullptr, self, nullptr);
      dialog = theLanguageArray.CreateDialogParam(MAKEINTRESOURCEA(id), parent, &Quiet, 0);
      if (dialog) {
        // Property pages come disabled and captioned: show them as a sheet would.
        LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
        ::SetWindowLongA(dialog, GWL_STYLE, (style & ~(WS_CAPTION | WS_DISABLED)) | WS_CHILD);
        ::SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        RECT rc, frame = {0, 0, 0, 0};
        ::GetWindowRect(dialog, &rc);
        ::AdjustWindowRect(&frame, WS_OVERLAPPED | WS_CAPTION, FALSE);
        ::SetWindowPos(parent, nullptr, 10, 10, rc.right - rc.left + frame.right - frame.left,
                       rc.bottom - rc.top + frame.bottom - frame.top, SWP_NOZORDER);
        ::ShowWindow(dialog, SW_SHOW);
      }
    } else {
      dialog = theLanguageArray.CreateDialogParam(MAKEINTRESOURCEA(id), nullptr, &Quiet, 0);
      if (dialog) {
        MakeNonBold(dialog);
        ::SetWindowPos(dialog, HWND_TOP, 10, 10, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
      }
    }
    PumpFor(700);
    std::string ready = marks + "\\ready_" + argv[i];
    if (FILE* f = std::fopen(ready.c_str(), "w"))
      std::fclose(f);
    std::string shot = marks + "\\shot_" + argv[i];
    for (int n = 0; n < 500 && !Exists(shot); ++n)
      PumpFor(40);
    if (dialog)
      ::DestroyWindow(dialog);
    if (parent)
      ::DestroyWindow(parent);
    PumpFor(100);
  }
  theLanguageArray.Unload();
  return 0;
}
