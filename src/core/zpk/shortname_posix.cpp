#include "zpk/names.h"

namespace kw::zpk {

// No short names here: the short name is the path itself.
std::string ShortPathOf(const std::string& path) { return path; }

}  // namespace kw::zpk
