#include <windows.h>

#include "zpk/names.h"

namespace kw::zpk {

std::string ShortPathOf(const std::string& path) {
  char buf[1024];
  DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return path;
  return std::string(buf, n);
}

}  // namespace kw::zpk
