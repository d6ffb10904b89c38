// On Windows the builder loads the LNG libraries as the program does: the
// extensions through their host, the texts from the UI resource library.
#include <windows.h>

#include <vector>

#include "build/sources.h"
#include "extension.h"
#include "libsources.h"

namespace kwrbuild {

namespace {

class ModuleStrings : public kw::IStringSource {
 public:
  explicit ModuleStrings(HMODULE m) : module_(m) {}
  ~ModuleStrings() override { FreeLibrary(module_); }
  bool Text(uint16_t id, std::string& out) override {
    std::vector<char> buf(4096);
    int n = LoadStringA(module_, id, buf.data(), static_cast<int>(buf.size()));
    if (n <= 0) return false;
    out.assign(buf.data(), static_cast<size_t>(n));
    return true;
  }

 private:
  HMODULE module_;
};

class HostLoader : public kw::ILoaderSource {
 public:
  explicit HostLoader(const std::string& folder) : host_(folder) {}
  bool DropSetup(uint16_t language, const std::string& folder, uint32_t loader, uint32_t& offset) override {
    if (!host_.Find(language)) {
      error = "no setup-language extension for language " + std::to_string(language);
      return false;
    }
    return DropSetupLoader(host_, language, folder, loader, &offset);
  }
  std::string error;

 private:
  CIKitwrightExtension host_;
};

struct WinSources : Sources {
  HostLoader* host = nullptr;
  std::string LoaderError() const override { return host ? host->error : std::string(); }
};

}  // namespace

std::unique_ptr<Sources> OpenSources(const std::string& lngFolder) {
  auto s = std::make_unique<WinSources>();
  std::string folder = lngFolder;
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  std::string ui;
  if (!kw::FindUiLibrary(lngFolder, 1033, ui)) {
    s->error = "no user-interface resource library in " + lngFolder;
    return s;
  }
  HMODULE m = LoadLibraryExA(ui.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!m) {
    s->error = "cannot load " + ui;
    return s;
  }
  s->strings = std::make_unique<ModuleStrings>(m);
  try {
    auto host = std::make_unique<HostLoader>(folder);
    s->host = host.get();
    s->loader = std::move(host);
  } catch (const CIKitwrightExtension::CXNoExtensions&) {
    s->error = "no setup-language extension in " + lngFolder;
  }
  return s;
}

}  // namespace kwrbuild
