// Natively the LNG libraries are read with the portable resource reader.
#include "build/sources.h"
#include "libsources.h"

namespace kwrbuild {

namespace {
struct PortableSources : Sources {
  kw::DllLoaderSource* dll = nullptr;
  std::string LoaderError() const override { return dll ? dll->error : std::string(); }
};
}  // namespace

std::unique_ptr<Sources> OpenSources(const std::string& lngFolder) {
  auto s = std::make_unique<PortableSources>();
  std::string ui;
  if (!kw::FindUiLibrary(lngFolder, 1033, ui)) {
    s->error = "no user-interface resource library in " + lngFolder;
    return s;
  }
  s->strings = std::make_unique<kw::DllStringSource>(ui);
  auto loader = std::make_unique<kw::DllLoaderSource>(lngFolder);
  s->dll = loader.get();
  s->loader = std::move(loader);
  return s;
}

}  // namespace kwrbuild
