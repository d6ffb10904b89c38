#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/filesys.h"

namespace kw {

bool GetFileStatus(const std::string& path, FileStatus& out) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  out.size = static_cast<uint64_t>(st.st_size);
  out.mtime = static_cast<uint32_t>(st.st_mtime);
  out.attributes = 0x20;
  if (access(path.c_str(), W_OK) != 0) out.attributes |= 0x01;
  return true;
}

bool CanOpenForReading(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

int ReplaceFileWith(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool SetFileModificationTime(const std::string& path, uint32_t mtime) {
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(mtime);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0 || errno == ENOENT; }

#include "platform/filesys_common.inc"

}  // namespace kw
