// String and loader sources read from the LNG library files with the
// portable resource reader, so that every build can use the same DLLs.
#pragma once
#include <string>
#include <vector>

#include "build/engine.h"

namespace kw {

// The "*.DLL" files of a folder, sorted by name.
std::vector<std::string> ListLibraries(const std::string& folder);

// Texts from one UI resource library file.
class DllStringSource : public IStringSource {
 public:
  explicit DllStringSource(std::string path) : path_(std::move(path)) {}
  bool Text(uint16_t id, std::string& out) override;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The UI resource library of a folder for a language (a library that
// carries the build messages; the language's own, else the first).
bool FindUiLibrary(const std::string& folder, uint16_t language, std::string& path);

// Setup loaders from the extension libraries of a folder: the first
// library whose string 16385 names the language.
class DllLoaderSource : public ILoaderSource {
 public:
  explicit DllLoaderSource(std::string folder) : folder_(std::move(folder)) {}
  bool DropSetup(uint16_t language, const std::string& folder, uint32_t loader, uint32_t& diskMapOffset) override;
  std::string error;  // why the last drop failed

 private:
  std::string folder_;
};

}  // namespace kw
