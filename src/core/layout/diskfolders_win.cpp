// Creating and deleting the disk folders with Win32 calls. A reparse point
// (symbolic link, junction) is removed itself and never entered.
#include <windows.h>

#include "layout/disklayout.h"

namespace kw {
namespace layout_detail {

namespace {

constexpr int kMaxDepth = 256;

bool SystemError(std::string& error, const std::string& what, const std::string& path, DWORD code) {
  char text[512] = "";
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.')) --n;
  error = what + " \"" + path + "\": " + (n ? std::string(text, n) : "error " + std::to_string(code));
  return false;
}

// Every entry name of a folder but "." and "..".
bool ListFolder(const std::string& folder, std::vector<std::string>& names, DWORD& code) {
  names.clear();
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) {
    code = GetLastError();
    return code == ERROR_FILE_NOT_FOUND;
  }
  do {
    const std::string name = fd.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(h, &fd));
  code = GetLastError();
  FindClose(h);
  return code == ERROR_NO_MORE_FILES;
}

bool DeletePath(const std::string& path, int depth, std::string& error) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return SystemError(error, "Cannot delete", path, GetLastError());
  const bool folder = (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder && !(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
    if (depth >= kMaxDepth) return error = "Cannot delete \"" + path + "\": folders nested too deeply", false;
    std::vector<std::string> children;
    DWORD code = 0;
    if (!ListFolder(path, children, code)) return SystemError(error, "Cannot delete", path, code);
    for (const std::string& child : children)
      if (!DeletePath(path + "\\" + child, depth + 1, error)) return false;
  }
  const BOOL ok = folder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
  if (!ok) return SystemError(error, "Cannot delete", path, GetLastError());
  return true;
}

}  // namespace

bool MakeFolder(const std::string& path, std::string& error) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  const DWORD code = GetLastError();
  const DWORD attrs = GetFileAttributesA(path.c_str());
  if (code == ERROR_ALREADY_EXISTS && attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
    return true;
  return SystemError(error, "Cannot create the folder", path, code);
}

bool ListDiskEntries(const std::string& folder, std::vector<std::string>& names, std::string& error) {
  std::vector<std::string> all;
  DWORD code = 0;
  names.clear();
  if (!ListFolder(folder, all, code)) {
    if (code == ERROR_PATH_NOT_FOUND) return true;
    return SystemError(error, "Cannot read the folder", folder, code);
  }
  for (const std::string& name : all)
    if (IsDiskEntryName(name)) names.push_back(name);
  return true;
}

bool DeleteEntry(const std::string& folder, const std::string& name, std::string& error) {
  return DeletePath(folder + "\\" + name, 0, error);
}

}  // namespace layout_detail
}  // namespace kw
