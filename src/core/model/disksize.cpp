#include "model/disksize.h"

#include <cstdlib>

#include "platform/text.h"

namespace kw {

const DiskSizeEntry kDiskSizes[6] = {
    {123, "CD-ROM", 713031680, "CDROM"},
    {122, "2.88 MB (3\xBD\" ED)", 2949120, "288MB"},
    {121, "1.68 MB (3\xBD\" DMF)", 1716224, "168MB"},
    {120, "1.44 MB (3\xBD\" HD)", 1457664, "144MB"},
    {124, "1.2 MB (5\xBC\" HD)", 1228800, "120MB"},
    {125, "720 kB (3\xBD\" DD)", 730112, "720KB"},
};

const char* DiskSizeToken(uint32_t capacity) {
  for (const auto& e : kDiskSizes)
    if (e.capacity == capacity) return e.token;
  return "CUSTOM";
}

size_t DiskSizeIndex(uint32_t capacity) {
  for (size_t i = 0; i < kDiskSizeCount; ++i)
    if (kDiskSizes[i].capacity == capacity) return i;
  return kDefaultDiskSizeIndex;
}

bool ParseDiskSize(const std::string& text, uint32_t& capacity) {
  std::string up = text;
  UpperAnsi(up);
  for (const auto& e : kDiskSizes) {
    if (up == e.token) {
      capacity = e.capacity;
      return true;
    }
  }
  if (text.empty() || text.size() > 10) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
  // Below a few kilobytes no volume could hold the loader and a record.
  if (v < 65536 || v > 0xFFFFFFFFull) return false;
  capacity = static_cast<uint32_t>(v);
  return true;
}

}  // namespace kw
