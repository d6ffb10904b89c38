// Fuzzes the disk-map walk of setup loader images.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "loader_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint32_t offset = 0;
  kw::LoaderMapResult r = kw::FindLoaderDiskMap(data, size, &offset);
  if (r == kw::LoaderMapResult::kFound) {
    if (offset >= size)
      std::abort();  // an area must lie inside the image
  } else if (offset != 0) {
    std::abort();
  }
  return 0;
}
