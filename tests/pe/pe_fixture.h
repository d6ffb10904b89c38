// Where the PE test fixtures are, and a few helpers on their bytes.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../testutil.h"

namespace petest {

// The committed fixture, where the build under test can open it.
inline std::string CommittedFixture() { return kwtest::HostPath(std::string(KW_TEST_DATA_DIR) + "/pe/fixture.dll"); }

inline uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}
inline void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b.at(at) = static_cast<uint8_t>(v);
  b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}

// File offset of the resource root of a 32-bit image, found through its headers.
inline size_t ResourceRootOffset(const std::vector<uint8_t>& image) {
  const size_t pe = Get32(image, 60);
  const size_t sections = image[pe + 6] | (image[pe + 7] << 8);
  const size_t optSize = image[pe + 20] | (image[pe + 21] << 8);
  const uint32_t rva = Get32(image, pe + 24 + 96 + 16);
  for (size_t i = 0; i < sections; ++i) {
    const size_t s = pe + 24 + optSize + 40 * i;
    const uint32_t va = Get32(image, s + 12);
    if (rva >= va && rva < va + Get32(image, s + 16)) return Get32(image, s + 20) + (rva - va);
  }
  return 0;
}

}  // namespace petest
