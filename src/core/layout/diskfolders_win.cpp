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

// The path the system resolves an entry to, without following a reparse
// point; empty where the system cannot tell (before Windows Vista).
std::string FinalPath(const std::string& path) {
  using Fn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  static const Fn getFinal =
      reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
  if (!getFinal) return std::string();
  HANDLE h = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  char buf[1024];
  const DWORD n = getFinal(h, buf, sizeof buf, 0);
  CloseHandle(h);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

bool SameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                                b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

// parentFinal is the resolved path of the folder holding the entry.
bool DeletePath(const std::string& path, const std::string& name, const std::string& parentFinal, int depth,
                std::string& error) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return SystemError(error, "Cannot delete", path, GetLastError());
  // Where links are not reparse points (Unix links under Wine), the entry
  // resolves outside its folder; deleting it would reach the target.
  const std::string final = parentFinal.empty() ? std::string() : FinalPath(path);
  if (!final.empty() && !SameNoCase(final, parentFinal + "\\" + name))
    return error = "Cannot delete \"" + path + "\": it is a link to \"" + final + "\" that cannot be removed safely",
           false;
  const bool folder = (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder && !(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
    if (depth >= kMaxDepth) return error = "Cannot delete \"" + path + "\": folders nested too deeply", false;
    std::vector<std::string> children;
    DWORD code = 0;
    if (!ListFolder(path, children, code)) return SystemError(error, "Cannot delete", path, code);
    for (const std::string& child : children)
      if (!DeletePath(path + "\\" + child, child, final, depth + 1, error)) return false;
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
  return DeletePath(folder + "\\" + name, name, FinalPath(folder), 0, error);
}

}  // namespace layout_detail
}  // namespace kw
