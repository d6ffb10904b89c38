#include "build/sources.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "loader_map.h"
#include "pe/peimage.h"
#include "pe/version.h"
#include "platform/filesys.h"
#include "platform/text.h"

namespace kw {

std::vector<std::string> ListLibraries(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::string up = name;
    UpperAnsi(up);
    if (up.size() > 4 && up.compare(up.size() - 4, 4, ".DLL") == 0 && it->is_regular_file(ec))
      out.push_back(it->path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool DllStringSource::Text(uint16_t id, std::string& out) { return LoadDllString(path_, id, out); }

bool FindUiLibrary(const std::string& folder, uint16_t language, std::string& path) {
  std::string first;
  for (const std::string& dll : ListLibraries(folder)) {
    std::string probe;
    if (!LoadDllString(dll, 0x3000, probe)) continue;  // no build messages: not a UI library
    if (first.empty()) first = dll;
    FileVersionInfo v;
    if (ReadFileVersion(dll, v) && v.language == language) {
      path = dll;
      return true;
    }
  }
  if (first.empty()) return false;
  path = first;
  return true;
}

bool DllLoaderSource::DropSetup(uint16_t language, const std::string& folder, uint32_t loader,
                                uint32_t& diskMapOffset) {
  error.clear();
  std::string skipped;  // why a library of the language was passed over
  for (const std::string& dll : ListLibraries(folder_)) {
    std::string lang;
    if (!LoadDllString(dll, 16385, lang) || lang != std::to_string(language)) continue;
    std::vector<uint8_t> image;
    // A UI resource library may carry the same language string; only a
    // library with the loader resources is an extension.
    if (!LoadDllResource(dll, 258, static_cast<uint16_t>(loader), image, &skipped)) continue;
    uint32_t offset = 0;
    if (FindLoaderDiskMap(image.data(), image.size(), &offset) != LoaderMapResult::kFound) {
      error = dll + ": the setup loader has no disk-map area";
      return false;
    }
    std::string target = folder;
    if (!target.empty() && !IsPathSep(target.back())) target += kPathSep;
    target += "SETUP.EXE";
    FILE* f = std::fopen(target.c_str(), "wb");
    bool ok = f && std::fwrite(image.data(), 1, image.size(), f) == image.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) {
      error = "cannot write " + target;
      RemoveFile(target);
      return false;
    }
    diskMapOffset = offset;
    return true;
  }
  error = "no setup-language extension for language " + std::to_string(language) + " in " + folder_;
  if (!skipped.empty()) error += " (" + skipped + ")";
  return false;
}

}  // namespace kw
