// The table of disk capacities: chooser texts, volume limits, folder tokens.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace kw {

struct DiskSizeEntry {
  uint16_t textId;       // string of the UI resource library
  const char* english;   // its English text, for tools without the library
  uint32_t capacity;     // bytes
  const char* token;     // output folder name
};

extern const DiskSizeEntry kDiskSizes[6];
constexpr size_t kDiskSizeCount = 6;
constexpr uint32_t kDefaultDiskSize = 1457664;
constexpr size_t kDefaultDiskSizeIndex = 3;  // 1.44 MB, chosen when none matches

// The folder token of a capacity, "CUSTOM" when it is not in the table.
const char* DiskSizeToken(uint32_t capacity);
// Index of the capacity in the table, or the 1.44 MB entry when none matches.
size_t DiskSizeIndex(uint32_t capacity);
// Parses a capacity given as bytes or as a folder token ("144MB", "CDROM").
bool ParseDiskSize(const std::string& text, uint32_t& capacity);

}  // namespace kw
