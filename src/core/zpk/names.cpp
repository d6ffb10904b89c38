#include "zpk/names.h"

#include "platform/text.h"

namespace kw::zpk {
namespace {
std::string AfterLastBackslash(const std::string& s) {
  size_t p = s.rfind('\\');
  return p == std::string::npos ? s : s.substr(p + 1);
}

bool Glob(const std::string& pat, const std::string& name) {
  size_t p = 0, n = 0, star = std::string::npos, mark = 0;
  auto up = [](char c) { return AnsiUpperChar(static_cast<unsigned char>(c)); };
  while (n < name.size()) {
    if (p < pat.size() && pat[p] == '*') {
      star = p++;
      mark = n;
    } else if (p < pat.size() && (pat[p] == '?' || up(pat[p]) == up(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}
}  // namespace

std::string ToStoredSeparators(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

std::string LastComponent(const std::string& path) {
  size_t p = path.find_last_of("\\/");
  return p == std::string::npos ? path : path.substr(p + 1);
}

bool NameMatches(const std::string& patternIn, const std::string& nameIn) {
  std::string pattern = ToStoredSeparators(patternIn);
  std::string name = ToStoredSeparators(nameIn);
  if (pattern.find('\\') == std::string::npos || name.find('\\') == std::string::npos) {
    pattern = AfterLastBackslash(pattern);
    name = AfterLastBackslash(name);
  }
  return Glob(pattern, name);
}

}  // namespace kw::zpk
