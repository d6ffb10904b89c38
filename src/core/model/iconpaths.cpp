#include "model/iconpaths.h"

#include "model/items.h"

namespace kw {

namespace {

bool HasExeExtension(const std::string& fileName) {
  size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || fileName.size() - dot != 4) return false;
  static const char kExe[] = ".EXE";
  for (size_t i = 0; i < 4; ++i) {
    char c = fileName[dot + i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kExe[i]) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> ExecutablePaths(const CFileFolder* packages) {
  std::vector<std::string> paths;
  for (const CFileFolder* package = packages; package; package = package->m_pNext) {
    for (const CFileItem* file = package->m_pFiles; file; file = file->m_pNext) {
      std::string name = file->FileName();
      if (HasExeExtension(name)) paths.push_back(file->m_strDestination + "\\" + name);
    }
  }
  return paths;
}

}  // namespace kw
