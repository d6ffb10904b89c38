// Numbered error messages and exception reports.
#include "errors.h"

#include "reslang.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <typeinfo>
#include <utility>

namespace {

constexpr UINT kBoxStyle = MB_OK | MB_ICONSTOP | MB_TASKMODAL;  // 0x2010

ErrorBoxSeam g_box = nullptr;
ErrorExitSeam g_exit = nullptr;
ErrorWin32sQuery g_win32s = nullptr;
std::string g_caption = "Kitwright";

struct ThrowSite {
  const char* file = nullptr;
  int line = 0;
  std::exception_ptr thrown;
};
thread_local ThrowSite t_site;

int ShowBox(const char* text) {
  if (g_box)
    return g_box(text, g_caption.c_str(), kBoxStyle);
  return ::MessageBoxA(nullptr, text, g_caption.c_str(), kBoxStyle);
}

bool IsWin32s() {
  if (g_win32s)
    return g_win32s();
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32s;
}

[[noreturn]] void EndProcess() {
  if (g_exit)
    g_exit(1);
  std::exit(1);
}

// The readable name of the exception being handled, "(unknown)" without one.
std::string CurrentTypeName(const std::type_info** typeOut) {
  const std::type_info* type = abi::__cxa_current_exception_type();
  *typeOut = type;
  if (!type)
    return "(unknown)";
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(
      abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), std::free);
  return status == 0 && name ? name.get() : type->name();
}

}  // namespace

const char* SeverityWord(int severity) {
  switch (severity) {
    case kSeverityWarning: return "WARNING";
    case kSeverityFatal: return "FATAL ERROR";
    case kSeverityTrace: return "TRACE";
    default: return "ERROR";
  }
}

void ReportError(WORD number, LPCSTR source, int severity) {
  char loaded[256];
  const char* text;
  if (source && IS_INTRESOURCE(source)) {
    WORD id = LOWORD(reinterpret_cast<ULONG_PTR>(source));
    if (theLanguageArray.LoadString(id, loaded, sizeof loaded) <= 0) {
      std::snprintf(loaded, sizeof loaded,
                    "Internal Error: Cannot load string resource %04hXh for error KWR%03hu!", id,
                    number);
      number = 65535;
    }
    text = loaded;
  } else if (source) {
    text = source;
  } else {
    text = "Internal Error: Please contact Brantel SoftWare";
  }
  size_t size = source ? std::strlen(text) + 40 : 256;
  std::unique_ptr<char[]> out(new char[size]);
  std::snprintf(out.get(), size, "%s KWR%03hu:\n%s", SeverityWord(severity), number, text);
  ShowBox(out.get());
}

int ReportWindowClassError(const char* className) {
  if (IsWin32s())
    return 0;
  char text[512];
  std::snprintf(text, sizeof text, "Cannot register \"%s\" window class!",
                className ? className : "");
  ReportError(30, text, kSeverityFatal);
  return 1;
}

namespace {
// A source site as the reports show it: the tree-relative path with
// backslashes (the compiler gives it relative, with its own separators).
std::string SourceSite(const char* file) {
  std::string s = file ? file : "";
  for (char& c : s)
    if (c == '/')
      c = '\\';
  return s;
}
}  // namespace

void ReportSystemException(const char* file, int line, DWORD code) {
  char text[1024];
  std::snprintf(text, sizeof text, "Exception %08lXh has been caught at %s, line %d.",
                static_cast<unsigned long>(code), SourceSite(file).c_str(), line);
  ReportError(128, text, kSeverityFatal);
}

void ReportCaughtException(const char* file, int line) {
  const std::type_info* type = nullptr;
  std::string name = CurrentTypeName(&type);
  const std::string catchSite = SourceSite(file);
  const char* catchFile = catchSite.c_str();
  char text[1024];
  // The recorded site belongs to this very exception object, or to none.
  std::exception_ptr current = std::current_exception();
  if (current && t_site.file && t_site.thrown == current) {
    std::snprintf(text, sizeof text,
                  "Exception \"%s\" (thrown at %s, line %d) has been caught at %s, line %d.",
                  name.c_str(), SourceSite(t_site.file).c_str(), t_site.line, catchFile, line);
  } else {
    std::snprintf(text, sizeof text, "Exception \"%s\" has been caught at %s, line %d.",
                  name.c_str(), catchFile, line);
  }
  ReportError(129, text, kSeverityFatal);
}

void FatalSystemException(const char* file, int line, DWORD code) {
  ReportSystemException(file, line, code);
  EndProcess();
}

void FatalCaughtException(const char* file, int line) {
  ReportCaughtException(file, line);
  EndProcess();
}

void RecordThrowSite(const char* file, int line, std::exception_ptr thrown) {
  t_site.file = file;
  t_site.line = line;
  t_site.thrown = std::move(thrown);
}

void SetErrorBoxSeam(ErrorBoxSeam seam) { g_box = seam; }
void SetErrorExitSeam(ErrorExitSeam seam) { g_exit = seam; }
void SetErrorWin32sQuery(ErrorWin32sQuery query) { g_win32s = query; }
void SetErrorCaption(const char* caption) { g_caption = caption ? caption : ""; }
