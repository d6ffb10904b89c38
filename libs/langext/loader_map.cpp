// New-executable (NE) resource table, as far as the disk map needs it:
//
//   MZ header   "MZ" ... u32 at 60: file offset of the NE header
//   NE header   "NE" ... u16 at 36: resource table offset, from the NE header
//   resources   u16 alignment shift, then type entries until a type id 0:
//                 u16 type id (bit 15: integer id), u16 count, u32 reserved,
//                 count x { u16 offset, u16 length (both in units of
//                           1 << shift), u16 flags, u16 id, u32 reserved }
#include "loader_map.h"

namespace kw {
namespace {

constexpr uint16_t kIntegerId = 0x8000;
constexpr uint16_t kDiskMapType = 260;
constexpr uint16_t kDiskMapId = 3;
constexpr size_t kTypeHeaderSize = 8;
constexpr size_t kNameInfoSize = 12;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool IsIntegerId(uint16_t id, uint16_t wanted) {
  return (id & kIntegerId) && (id & 0x7FFF) == wanted;
}

}  // namespace

LoaderMapResult FindLoaderDiskMap(const uint8_t* image, size_t size, uint32_t* offset) {
  *offset = 0;
  if (size < 2 || image[0] != 'M' || image[1] != 'Z')
    return LoaderMapResult::kNotMz;
  if (size < 64)
    return LoaderMapResult::kDamaged;
  const size_t ne = U32(image + 60);
  if (ne > size || size - ne < 40)
    return LoaderMapResult::kDamaged;
  const size_t tableOffset = U16(image + ne + 36);
  if (tableOffset > size - ne || size - ne - tableOffset < 2)
    return LoaderMapResult::kDamaged;
  size_t pos = ne + tableOffset;
  const unsigned shift = U16(image + pos);
  pos += 2;
  if (shift > 16)
    return LoaderMapResult::kDamaged;
  for (;;) {
    if (size - pos < 2)
      return LoaderMapResult::kDamaged;
    const uint16_t type = U16(image + pos);
    if (type == 0)
      return LoaderMapResult::kNoDiskMap;
    if (size - pos < kTypeHeaderSize)
      return LoaderMapResult::kDamaged;
    const size_t count = U16(image + pos + 2);
    pos += kTypeHeaderSize;
    if (count > (size - pos) / kNameInfoSize)
      return LoaderMapResult::kDamaged;
    if (IsIntegerId(type, kDiskMapType)) {
      for (size_t i = 0; i < count; ++i) {
        const uint8_t* info = image + pos + i * kNameInfoSize;
        if (!IsIntegerId(U16(info + 6), kDiskMapId))
          continue;
        const uint64_t start = static_cast<uint64_t>(U16(info)) << shift;
        const uint64_t length = static_cast<uint64_t>(U16(info + 2)) << shift;
        // An area outside the image would have the builder patch past its end.
        if (length == 0 || start > size || length > size - start)
          return LoaderMapResult::kNoDiskMap;
        *offset = static_cast<uint32_t>(start);
        return LoaderMapResult::kFound;
      }
      return LoaderMapResult::kNoDiskMap;
    }
    pos += count * kNameInfoSize;
  }
}

}  // namespace kw
