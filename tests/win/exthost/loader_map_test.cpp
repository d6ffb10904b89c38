// The disk-map walk over the shipped loaders and damaged copies of them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "../../testutil.h"
#include "loader_map.h"

namespace {

using kw::LoaderMapResult;
using Image = std::vector<uint8_t>;

Image LoaderOf(const char* library, WORD name) {
  HMODULE module = LoadLibraryExA(kwtest::HostPath(library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module)
    return {};
  Image image;
  if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(name), MAKEINTRESOURCEA(258))) {
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
    image.assign(data, data + SizeofResource(module, found));
  }
  FreeLibrary(module);
  return image;
}

uint32_t U32(const Image& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t U16(const Image& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
void Set16(Image& b, size_t at, unsigned v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Set32(Image& b, size_t at, uint32_t v) {
  Set16(b, at, v & 0xFFFF);
  Set16(b, at + 2, v >> 16);
}

LoaderMapResult Walk(const Image& image, uint32_t* offset) {
  return kw::FindLoaderDiskMap(image.data(), image.size(), offset);
}

TEST(LoaderMapTest, ShippedLoadersHoldTheAreaInBothLibraries) {
  for (const char* library : {KW_EXT_ENGLISH, KW_EXT_GERMAN}) {
    for (WORD name : {1, 2}) {
      SCOPED_TRACE(std::string(library) + " #" + std::to_string(name));
      Image image = LoaderOf(library, name);
      ASSERT_FALSE(image.empty());
      uint32_t offset = 0;
      ASSERT_EQ(Walk(image, &offset), LoaderMapResult::kFound);
      ASSERT_LE(offset + 1024u, image.size());
      EXPECT_EQ(std::string(image.begin() + offset, image.begin() + offset + 8), "KWDSKMAP");
    }
  }
}

// Damages loader 1 (type 260 with ids 2 and 3) in one place each.
TEST(LoaderMapTest, DamagedImagesAreRefusedWithoutReadingPastTheEnd) {
  const Image good = LoaderOf(KW_EXT_ENGLISH, 1);
  ASSERT_GT(good.size(), 64u);
  const size_t ne = U32(good, 60);
  const size_t table = ne + U16(good, ne + 36);
  const size_t type = table + 2;          // first type entry
  const size_t mapEntry = type + 8 + 12;  // its second resource: id 3
  ASSERT_EQ(U16(good, type), 0x8000 | 260);
  ASSERT_EQ(U16(good, mapEntry + 6), 0x8003);

  struct Case {
    const char* what;
    void (*damage)(Image&, size_t ne, size_t table, size_t type, size_t mapEntry);
    LoaderMapResult expected;
  } cases[] = {
      {"empty", [](Image& b, size_t, size_t, size_t, size_t) { b.clear(); },
       LoaderMapResult::kNotMz},
      {"no MZ", [](Image& b, size_t, size_t, size_t, size_t) { b[0] = 'Z'; },
       LoaderMapResult::kNotMz},
      {"shorter than the MZ header", [](Image& b, size_t, size_t, size_t, size_t) { b.resize(63); },
       LoaderMapResult::kDamaged},
      {"NE header past the end",
       [](Image& b, size_t, size_t, size_t, size_t) { Set32(b, 60, 0xFFFFFFF0u); },
       LoaderMapResult::kDamaged},
      {"NE header cut short", [](Image& b, size_t ne, size_t, size_t, size_t) { b.resize(ne + 30); },
       LoaderMapResult::kDamaged},
      {"resource table past the end",
       [](Image& b, size_t ne, size_t, size_t, size_t) { Set16(b, ne + 36, 0xFFFF); },
       LoaderMapResult::kDamaged},
      {"shift beyond 16", [](Image& b, size_t, size_t t, size_t, size_t) { Set16(b, t, 40); },
       LoaderMapResult::kDamaged},
      {"count beyond the table",
       [](Image& b, size_t, size_t, size_t ty, size_t) { Set16(b, ty + 2, 0xFFFF); },
       LoaderMapResult::kDamaged},
      {"cut inside the type list",
       [](Image& b, size_t, size_t, size_t ty, size_t) { b.resize(ty + 9); },
       LoaderMapResult::kDamaged},
      {"no terminating type",
       [](Image& b, size_t, size_t, size_t ty, size_t) {
         // The first type is no longer 260 and the table ends right after
         // its entries.
         b.resize(ty + 8 + 2 * 12);
         Set16(b, ty, 0x8000 | 10);
       },
       LoaderMapResult::kDamaged},
      {"id 3 missing",
       [](Image& b, size_t, size_t, size_t, size_t m) { Set16(b, m + 6, 0x8004); },
       LoaderMapResult::kNoDiskMap},
      {"named rather than integer type",
       [](Image& b, size_t, size_t, size_t ty, size_t) { Set16(b, ty, 260); },
       LoaderMapResult::kNoDiskMap},
      {"area beyond the end",
       [](Image& b, size_t, size_t, size_t, size_t m) { Set16(b, m + 2, 0x0FFF); },
       LoaderMapResult::kNoDiskMap},
      {"offset beyond the end",
       [](Image& b, size_t, size_t, size_t, size_t m) { Set16(b, m, 0xFFFF); },
       LoaderMapResult::kNoDiskMap},
      {"empty area",
       [](Image& b, size_t, size_t, size_t, size_t m) { Set16(b, m + 2, 0); },
       LoaderMapResult::kNoDiskMap},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Image bad = good;
    c.damage(bad, ne, table, type, mapEntry);
    uint32_t offset = 1234;
    EXPECT_EQ(Walk(bad, &offset), c.expected);
    EXPECT_EQ(offset, 0u);
  }
}

TEST(LoaderMapTest, OffsetScalesWithTheAlignmentShift) {
  Image image = LoaderOf(KW_EXT_ENGLISH, 1);
  ASSERT_FALSE(image.empty());
  const size_t ne = U32(image, 60);
  const size_t table = ne + U16(image, ne + 36);
  const size_t mapEntry = table + 2 + 8 + 12;
  uint32_t offset = 0;
  ASSERT_EQ(Walk(image, &offset), LoaderMapResult::kFound);
  const unsigned shift = U16(image, table);
  const unsigned units = U16(image, mapEntry);
  const unsigned length = U16(image, mapEntry + 2);
  ASSERT_EQ(units % 2, 0u);
  // The same place and size, told in units twice as large.
  Set16(image, table, shift + 1);
  Set16(image, mapEntry, units / 2);
  Set16(image, mapEntry + 2, length / 2);
  uint32_t scaled = 0;
  ASSERT_EQ(Walk(image, &scaled), LoaderMapResult::kFound);
  EXPECT_EQ(scaled, offset);
}

}  // namespace
