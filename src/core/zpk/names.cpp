#include "zpk/names.h"

#include <cstdint>

#include "platform/text.h"
#include "zpk/format.h"
#include "zpk/zpk.h"

namespace kw::zpk {
namespace {
bool IsSep(char c) { return c == '\\' || c == '/'; }

// Start of the part after the last separator.
size_t LastPartStart(const std::string& s) {
  for (size_t i = s.size(); i > 0; --i)
    if (IsSep(s[i - 1])) return i;
  return 0;
}

bool SameChar(char p, char n) {
  if (IsSep(p) && IsSep(n)) return true;
  return AnsiUpperChar(static_cast<unsigned char>(p)) == AnsiUpperChar(static_cast<unsigned char>(n));
}

bool Glob(const char* pat, size_t plen, const char* name, size_t nlen) {
  size_t p = 0, n = 0, star = SIZE_MAX, mark = 0;
  while (n < nlen) {
    if (p < plen && pat[p] == '*') {
      star = p++;
      mark = n;
    } else if (p < plen && (pat[p] == '?' || SameChar(pat[p], name[n]))) {
      ++p;
      ++n;
    } else if (star != SIZE_MAX) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < plen && pat[p] == '*') ++p;
  return p == plen;
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

std::string StoredLongName(const std::string& path, uint32_t addOptions) {
  std::string name = ToStoredSeparators(path);
  return (addOptions & kArchiveAddFullPath) ? name : LastComponent(name);
}

bool StoredNames(const std::string& path, uint32_t addOptions, std::string& longName, std::string& shortName) {
  longName = StoredLongName(path, addOptions);
  shortName = StoredLongName(ShortPathOf(path), addOptions);
  return longName.size() <= kMaxName && shortName.size() <= kMaxName;
}

bool NameMatches(const std::string& pattern, const std::string& name) {
  size_t ps = LastPartStart(pattern), ns = LastPartStart(name);
  if (ps > 0 && ns > 0) ps = ns = 0;  // both are paths: compare them whole
  return Glob(pattern.data() + ps, pattern.size() - ps, name.data() + ns, name.size() - ns);
}

}  // namespace kw::zpk
