// The string and loader sources of this platform's builder.
#pragma once
#include <memory>
#include <string>

#include "build/engine.h"

namespace kwrbuild {

struct Sources {
  std::unique_ptr<kw::IStringSource> strings;
  std::unique_ptr<kw::ILoaderSource> loader;
  std::string error;  // why they could not be had
  // Why the last loader drop failed, for the message after a failed build.
  virtual std::string LoaderError() const { return std::string(); }
  virtual ~Sources() = default;
};

// Texts from the UI resource library of lngFolder, loaders from its
// setup-language extensions.
std::unique_ptr<Sources> OpenSources(const std::string& lngFolder);

}  // namespace kwrbuild
