// Error reporting: numbered message boxes "<severity> KWR<nnn>:\n<text>" and
// reports of caught exceptions with their throw and catch sites.
#pragma once

#include <windows.h>

#include <exception>
#include <utility>

// Severity codes.
enum : int {
  kSeverityWarning = 1,
  kSeverityError = 2,
  kSeverityFatal = 3,
  kSeverityTrace = 4,
};

// The word shown for a severity code.
const char* SeverityWord(int severity);

// Shows error number with its text. source is either a string id (upper
// half zero; the text of error n is string 0x400 + n) or a text; null gives
// the internal-error text.
void ReportError(WORD number, LPCSTR source, int severity);
// Error 30 for a window class that could not be registered; 0 (nothing shown)
// on Win32s, where such failures are ignored.
int ReportWindowClassError(const char* className);
// Error 128 for a system exception code caught at file/line.
void ReportSystemException(const char* file, int line, DWORD code);
// Error 129 for the exception being handled, caught at file/line.
void ReportCaughtException(const char* file, int line);
// The same two reports, then the process ends with status 1.
[[noreturn]] void FatalSystemException(const char* file, int line, DWORD code);
[[noreturn]] void FatalCaughtException(const char* file, int line);

// Throw sites record where they threw, for ReportCaughtException. The site
// is kept with the exception object itself, so a later plain throw never
// borrows it.
void RecordThrowSite(const char* file, int line, std::exception_ptr thrown);
template <class E>
[[noreturn]] void ThrowAt(const char* file, int line, E&& e) {
  try {
    throw std::forward<E>(e);
  } catch (...) {
    RecordThrowSite(file, line, std::current_exception());
    throw;
  }
}
#define KW_THROW(e) ThrowAt(__FILE__, __LINE__, e)

// Seams: the message box (text, caption, style) and the process exit.
using ErrorBoxSeam = int (*)(const char* text, const char* caption, UINT style);
void SetErrorBoxSeam(ErrorBoxSeam seam);
using ErrorExitSeam = void (*)(int status);
void SetErrorExitSeam(ErrorExitSeam seam);
// Seams for the platform query (true on Win32s); null restores the system's.
using ErrorWin32sQuery = bool (*)();
void SetErrorWin32sQuery(ErrorWin32sQuery query);
// The caption of the boxes: the application's title.
void SetErrorCaption(const char* caption);
