// Windows-1252 case mapping, so that the native build folds texts as the
// Windows build does with CharLowerA/CharUpperA on a Western system.
#include "platform/text.h"

#include <cstring>

namespace kw {
namespace {
unsigned char Lower1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}
unsigned char Upper1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}
}  // namespace

int CompareTextLocale(const std::string& a, const std::string& b) {
  int r = std::strcoll(a.c_str(), b.c_str());
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

void LowerAnsi(std::string& s) {
  for (char& c : s) c = static_cast<char>(Lower1252(static_cast<unsigned char>(c)));
}

void UpperAnsi(std::string& s) {
  for (char& c : s) c = static_cast<char>(Upper1252(static_cast<unsigned char>(c)));
}

unsigned char AnsiUpperChar(unsigned char c) { return Upper1252(c); }

}  // namespace kw
