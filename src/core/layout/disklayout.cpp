// Folder layout of a build, the parts common to every system.
#include "layout/disklayout.h"

#include "platform/filesys.h"

namespace kw {

using namespace layout_detail;

namespace {

// The folder part of a path, without its trailing separators.
std::string ParentOf(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && IsPathSep(path[end - 1])) --end;
  while (end > 0 && !IsPathSep(path[end - 1])) --end;
  while (end > 1 && IsPathSep(path[end - 1])) --end;
  return path.substr(0, end);
}

std::string Trimmed(const std::string& path) {
  size_t end = path.size();
  while (end > 1 && IsPathSep(path[end - 1])) --end;
  return path.substr(0, end);
}

}  // namespace

bool IsDiskEntryName(const std::string& name) {
  static const char kDisk[] = "DISK";
  if (name.size() < 4) return false;
  for (int i = 0; i < 4; ++i) {
    char c = name[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kDisk[i]) return false;
  }
  return true;
}

std::string VolumePathFormat(const std::string& outputFolder) {
  std::string out;
  for (char c : outputFolder) {
    out.push_back(c);
    if (c == '%') out.push_back('%');
  }
  out += kPathSep;
  out += "DISK%d";
  out += kPathSep;
  out += "SETUP.%d";
  return out;
}

std::string VolumePath(const std::string& format, unsigned volume) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
      if (format[i + 1] == 'd') {
        out += std::to_string(volume);
        ++i;
        continue;
      }
    }
    out.push_back(format[i]);
  }
  return out;
}

std::string DiskFolder(const std::string& outputFolder, unsigned volume) {
  return outputFolder + kPathSep + "DISK" + std::to_string(volume);
}

bool PrepareOutputFolder(const std::string& outputFolder, std::string& error) {
  if (outputFolder.empty()) return error = "the project has no output folder", false;
  const std::string folder = Trimmed(outputFolder);
  const std::string parent = ParentOf(folder);
  if (!parent.empty() && !MakeFolder(parent, error)) return false;
  return MakeFolder(folder, error);
}

bool ClearDiskFolders(const std::string& outputFolder, std::string& error) {
  if (outputFolder.empty()) return error = "the project has no output folder", false;
  std::vector<std::string> names;
  if (!ListDiskEntries(outputFolder, names, error)) return false;
  for (const std::string& name : names)
    if (!DeleteEntry(outputFolder, name, error)) return false;
  return true;
}

bool CreateDiskFolder(const std::string& outputFolder, unsigned volume, std::string& error) {
  if (outputFolder.empty()) return error = "the project has no output folder", false;
  return MakeFolder(DiskFolder(outputFolder, volume), error);
}

bool CreateVolumeFolder(const std::string& volumePath, std::string& error) {
  const std::string folder = ParentOf(volumePath);
  if (folder.empty()) return error = "volume path \"" + volumePath + "\" has no folder", false;
  return MakeFolder(folder, error);
}

}  // namespace kw
