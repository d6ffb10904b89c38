#include "platform/text.h"

#include <windows.h>

namespace kw {

int CompareTextLocale(const std::string& a, const std::string& b) {
  int r = CompareStringA(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                         static_cast<int>(b.size()));
  return r - CSTR_EQUAL;
}

void LowerAnsi(std::string& s) {
  if (!s.empty()) CharLowerBuffA(&s[0], static_cast<DWORD>(s.size()));
}

void UpperAnsi(std::string& s) {
  if (!s.empty()) CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
}

unsigned char AnsiUpperChar(unsigned char c) {
  char ch = static_cast<char>(c);
  CharUpperBuffA(&ch, 1);
  return static_cast<unsigned char>(ch);
}

}  // namespace kw
