#include <windows.h>

#include "platform/mapfile.h"

namespace kw {

bool MappedFile::Open(const std::string& path) {
  Close();
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  DWORD low = GetFileSize(f, &high);
  if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0) {
    CloseHandle(f);
    return false;
  }
  if (low == 0) {
    CloseHandle(f);
    return true;
  }
  HANDLE m = CreateFileMappingA(f, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!m) {
    CloseHandle(f);
    return false;
  }
  void* p = MapViewOfFile(m, FILE_MAP_READ, 0, 0, 0);
  if (!p) {
    CloseHandle(m);
    CloseHandle(f);
    return false;
  }
  file_ = f;
  handle_ = m;
  data_ = static_cast<const uint8_t*>(p);
  size_ = low;
  return true;
}

void MappedFile::Close() {
  if (data_) UnmapViewOfFile(data_);
  if (handle_) CloseHandle(handle_);
  if (file_) CloseHandle(file_);
  data_ = nullptr;
  handle_ = file_ = nullptr;
  size_ = 0;
}

}  // namespace kw
