// Version information natively: the portable reader.
#include "pe/version.h"

namespace kw {

bool GetFileVersion(const std::string& path, FileVersionInfo& out, std::string* error) {
  return ReadFileVersion(path, out, error);
}

}  // namespace kw
