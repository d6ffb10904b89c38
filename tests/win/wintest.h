// Message loops for the Windows test programs.
#pragma once

#include <windows.h>

#include <functional>

namespace kwtest {

// Dispatches every message waiting for this thread.
inline void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// Runs turn() until done() holds; false after the time-out, or when a turn
// says the loop has ended (and done() still does not hold).
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, const std::function<bool()>& turn) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs)
      return false;
    if (!turn() && !done())
      return false;
  }
  return true;
}

// The same with plain dispatching.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
  return PumpUntil(done, timeoutMs, [] {
    Pump();
    ::Sleep(10);
    return true;
  });
}

}  // namespace kwtest
