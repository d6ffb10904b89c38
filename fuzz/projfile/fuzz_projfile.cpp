// Feeds arbitrary "Contents" streams to the project reader, and writes back
// whatever it accepts: a loaded project must save and load again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/project.h"
#include "projfile/dump.h"
#include "projfile/projfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CKitwrightProject p;
  if (kw::LoadProjectContents(data, size, p) != kw::kProjectOk) return 0;
  std::vector<uint8_t> again;
  try {
    again = kw::WriteProjectContents(p);
  } catch (...) {
    return 0;  // e.g. a text longer than the format holds
  }
  CKitwrightProject q;
  if (kw::LoadProjectContents(again.data(), again.size(), q) != kw::kProjectOk) std::abort();
  if (kw::DumpProject(p) != kw::DumpProject(q)) std::abort();
  return 0;
}
