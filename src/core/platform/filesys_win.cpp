#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>

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
  FileStatus st;
  std::string reason;
  return CheckSourceFile(path, st, reason) == SourceProblem::kNone;
}

namespace {
std::string SystemText(DWORD code) {
  char buf[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                           sizeof buf, nullptr);
  while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' ' || buf[n - 1] == '.')) --n;
  if (n == 0) return "system error " + std::to_string(code);
  return std::string(buf, n);
}
bool IsMissing(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME ||
         code == ERROR_BAD_NETPATH || code == ERROR_INVALID_DRIVE;
}
}  // namespace

SourceProblem CheckSourceFile(const std::string& path, FileStatus& out, std::string& reason) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) {
    DWORD code = GetLastError();
    if (IsMissing(code)) return SourceProblem::kMissing;
    reason = SystemText(code);
    return SourceProblem::kUnreadable;
  }
  if (d.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return SourceProblem::kNotRegular;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    if (IsMissing(code)) return SourceProblem::kMissing;
    reason = SystemText(code);
    return SourceProblem::kUnreadable;
  }
  const bool disk = GetFileType(h) == FILE_TYPE_DISK;
  CloseHandle(h);
  if (!disk) return SourceProblem::kNotRegular;
  out.size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  out.mtime = UnixTime(d.ftLastWriteTime);
  out.attributes = d.dwFileAttributes & 0x27;
  return SourceProblem::kNone;
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

FILE* CreateNewFile(const std::string& path, int& error) {
  // CREATE_NEW fails on any existing name, a link included.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    error = (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) ? EEXIST : EACCES;
    return nullptr;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    DeleteFileA(path.c_str());
    error = EMFILE;
    return nullptr;
  }
  FILE* f = _fdopen(fd, "wb");
  if (!f) {
    _close(fd);
    DeleteFileA(path.c_str());
    error = ENOMEM;
  }
  return f;
}

bool RemoveFile(const std::string& path) {
  return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

#include "platform/filesys_common.inc"

}  // namespace kw
