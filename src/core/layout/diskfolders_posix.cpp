// Creating and deleting the disk folders with POSIX calls. Deleting works
// relative to open folder handles and never follows a link, so nothing
// outside the output folder can be reached.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "layout/disklayout.h"

namespace kw {
namespace layout_detail {

namespace {

constexpr int kMaxDepth = 256;

bool SystemError(std::string& error, const std::string& what, const std::string& path, int err) {
  error = what + " \"" + path + "\": " + std::strerror(err);
  return false;
}

bool DeleteAt(int dirFd, const std::string& name, const std::string& path, int depth, std::string& error) {
  struct stat st;
  if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return SystemError(error, "Cannot delete", path, errno);
  if (S_ISDIR(st.st_mode)) {
    if (depth >= kMaxDepth) return error = "Cannot delete \"" + path + "\": folders nested too deeply", false;
    const int sub = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub < 0) return SystemError(error, "Cannot delete", path, errno);
    std::vector<std::string> children;
    const int listFd = dup(sub);
    DIR* dir = listFd >= 0 ? fdopendir(listFd) : nullptr;
    if (!dir) {
      const int err = errno;
      if (listFd >= 0) close(listFd);
      close(sub);
      return SystemError(error, "Cannot delete", path, err);
    }
    while (dirent* e = readdir(dir)) {
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) children.push_back(e->d_name);
    }
    closedir(dir);
    for (const std::string& child : children) {
      if (!DeleteAt(sub, child, path + "/" + child, depth + 1, error)) {
        close(sub);
        return false;
      }
    }
    close(sub);
    if (unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) != 0) return SystemError(error, "Cannot delete", path, errno);
    return true;
  }
  if (unlinkat(dirFd, name.c_str(), 0) != 0) return SystemError(error, "Cannot delete", path, errno);
  return true;
}

}  // namespace

bool MakeFolder(const std::string& path, std::string& error) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  const int err = errno;
  struct stat st;
  if (err == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  return SystemError(error, "Cannot create the folder", path, err);
}

bool ListDiskEntries(const std::string& folder, std::vector<std::string>& names, std::string& error) {
  names.clear();
  DIR* dir = opendir(folder.c_str());
  if (!dir) {
    if (errno == ENOENT) return true;
    return SystemError(error, "Cannot read the folder", folder, errno);
  }
  while (dirent* e = readdir(dir))
    if (IsDiskEntryName(e->d_name)) names.push_back(e->d_name);
  closedir(dir);
  return true;
}

bool DeleteEntry(const std::string& folder, const std::string& name, std::string& error) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return SystemError(error, "Cannot read the folder", folder, errno);
  const bool ok = DeleteAt(fd, name, folder + "/" + name, 0, error);
  close(fd);
  return ok;
}

}  // namespace layout_detail
}  // namespace kw
