#include <windows.h>

#include "platform/filesys.h"

namespace kw {
namespace {
uint32_t UnixTime(const FILETIME& ft) {
  ULARGE_INTEGER u;
  u.LowPart = ft.dwLowDateTime;
  u.HighPart = ft.dwHighDateTime;
  const unsigned long long epoch = 116444736000000000ull;  // 1601 to 1970 in 100 ns
  if (u.QuadPart < epoch) return 0;
  return static_cast<uint32_t>((u.QuadPart - epoch) / 10000000ull);
}
}  // namespace

bool GetFileStatus(const std::string& path, FileStatus& out) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return false;
  if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  out.size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  out.mtime = UnixTime(d.ftLastWriteTime);
  out.attributes = d.dwFileAttributes & 0x27;
  return true;
}

bool CanOpenForReading(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

int ReplaceFileWith(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 0;
  return static_cast<int>(GetLastError());
}

bool SetFileModificationTime(const std::string& path, uint32_t mtime) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  ULARGE_INTEGER u;
  u.QuadPart = static_cast<unsigned long long>(mtime) * 10000000ull + 116444736000000000ull;
  FILETIME ft;
  ft.dwLowDateTime = u.LowPart;
  ft.dwHighDateTime = u.HighPart;
  const bool ok = SetFileTime(h, nullptr, &ft, &ft) != 0;
  CloseHandle(h);
  return ok;
}

bool RemoveFile(const std::string& path) {
  return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

#include "platform/filesys_common.inc"

}  // namespace kw
