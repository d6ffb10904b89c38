#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
  FileStatus st;
  std::string reason;
  return CheckSourceFile(path, st, reason) == SourceProblem::kNone;
}

SourceProblem CheckSourceFile(const std::string& path, FileStatus& out, std::string& reason) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG) return SourceProblem::kMissing;
    reason = ErrnoText(errno);
    return SourceProblem::kUnreadable;
  }
  if (!S_ISREG(st.st_mode)) return SourceProblem::kNotRegular;
  // O_NONBLOCK: should the name turn into a FIFO meanwhile, open must not wait for a writer.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return SourceProblem::kMissing;
    reason = ErrnoText(errno);
    return SourceProblem::kUnreadable;
  }
  struct stat opened {};
  const bool regular = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode);
  ::close(fd);
  if (!regular) return SourceProblem::kNotRegular;
  out.size = static_cast<uint64_t>(opened.st_size);
  out.mtime = static_cast<uint32_t>(opened.st_mtime);
  out.attributes = 0x20;
  if (access(path.c_str(), W_OK) != 0) out.attributes |= 0x01;
  return SourceProblem::kNone;
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

FILE* CreateNewFile(const std::string& path, int& error) {
  // O_EXCL refuses any existing name, a link (even a dangling one) included.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  FILE* f = ::fdopen(fd, "wb");
  if (!f) {
    error = errno;
    ::close(fd);
    ::unlink(path.c_str());
  }
  return f;
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0 || errno == ENOENT; }

#include "platform/filesys_common.inc"

}  // namespace kw
