// Finds the disk-map area of a setup loader image. Portable: no Windows
// headers, so that the walk is fuzzed natively too.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kw {

enum class LoaderMapResult {
  kFound,      // offset set
  kNotMz,      // the image does not start with "MZ"
  kDamaged,    // a header or table runs past the image
  kNoDiskMap,  // no resource of type 260, id 3 (or it does not fit)
};

// Walks the NE resource table of image for integer type 260, integer id 3
// and gives the file offset of that resource's data.
LoaderMapResult FindLoaderDiskMap(const uint8_t* image, size_t size, uint32_t* offset);

}  // namespace kw
