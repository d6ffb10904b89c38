// Window: one static procedure that finds the object and calls OnMessage.
#include "framework.h"

#include "errors.h"

namespace kwf {

Window::~Window() {
  if (hwnd_) {
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
}

HWND Window::Create(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                    int y, int cx, int cy, HWND parent, HMENU menu, HINSTANCE instance) {
  return ::CreateWindowExA(exStyle, className, title, style, x, y, cx, cy, parent, menu, instance,
                           this);
}

LRESULT Window::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self)
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
  // No exception crosses into the system.
  LRESULT result = 0;
  try {
    result = self->OnMessage(msg, wParam, lParam);
  } catch (...) {
    ReportCaughtException(__FILE__, __LINE__);
    result = ::DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnFinalRelease();
  }
  return result;
}

}  // namespace kwf
