// Feeds arbitrary bytes to the PE resource reader and the version parser.
#include <cstddef>
#include <cstdint>

#include "pe/peimage.h"
#include "pe/version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kw::FileVersionInfo info;
  std::string error;
  kw::ParseVersionResource(data, size, info, error);

  kw::PeImage image;
  if (!image.OpenMemory(data, size)) return 0;
  std::vector<kw::ResourceEntry> list;
  image.ListResources(list);
  std::vector<uint8_t> bytes;
  for (const kw::ResourceEntry& e : list) image.ReadResource(e.where, bytes);
  std::u16string wide;
  std::string ansi;
  for (uint32_t id : {0u, 1u, 17u, 0x4002u}) {
    image.GetString(id, 0x409, wide, ansi);
    image.GetString(id, kw::kAnyLanguage, wide, ansi);
  }
  image.ReadResource(258, 1, kw::kAnyLanguage, bytes);
  if (image.ReadResource(kw::kResVersion, 1, kw::kAnyLanguage, bytes))
    kw::ParseVersionResource(bytes.data(), bytes.size(), info, error);
  return 0;
}
