// DocTemplate: the document strings and the shell's file type.
#include "framework.h"

#include <utility>

namespace kwf {

void DocTemplate::LoadStrings() {
  const std::string all = LoadResString(resourceId_);
  size_t start = 0;
  for (std::string& part : parts_) {
    if (start == std::string::npos) {
      part.clear();
      continue;
    }
    size_t end = all.find('\n', start);
    part = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? std::string::npos : end + 1;
  }
}

std::string DocTemplate::GetDocString(DocString index) const {
  return index >= 0 && index < 7 ? parts_[index] : std::string();
}

std::string DocTemplate::FileFilter() const {
  std::string filter = parts_[kFilterName];
  filter += '\0';
  filter += "*" + parts_[kFilterExt];
  filter += '\0';
  filter += '\0';
  return filter;
}

void DocTemplate::RegisterShellFileTypes() const {
  const std::string& ext = parts_[kFilterExt];
  const std::string& typeId = parts_[kRegFileTypeId];
  if (ext.empty() || typeId.empty())
    return;
  char exe[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string quoted = std::string("\"") + exe + "\"";
  const std::pair<std::string, std::string> keys[] = {
      {ext, typeId},
      {typeId, parts_[kRegFileTypeName]},
      {typeId + "\\DefaultIcon", std::string(exe) + ",0"},
      {typeId + "\\shell\\open\\command", quoted + " \"%1\""},
      {typeId + "\\shell\\print\\command", quoted + " /p \"%1\""},
      {typeId + "\\shell\\printto\\command", quoted + " /pt \"%1\" \"%2\" \"%3\" \"%4\""},
  };
  for (const auto& [key, value] : keys) {
    HKEY handle;
    if (::RegCreateKeyA(HKEY_CLASSES_ROOT, key.c_str(), &handle) != ERROR_SUCCESS)
      continue;
    ::RegSetValueA(handle, nullptr, REG_SZ, value.c_str(), static_cast<DWORD>(value.size()));
    ::RegCloseKey(handle);
  }
}

}  // namespace kwf
