// Fuzz target for the archive readers: the reader's volume walk, joining and
// unpacking, and the library's own open and enumeration.
//
// Input: one or more volumes separated by kVolumeSeparator.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "zpk/reader.h"
#include "zpk/zpk.h"

namespace {

const char kVolumeSeparator[] = "\n--ZPK-VOLUME--\n";

std::vector<std::vector<uint8_t>> Split(const uint8_t* data, size_t size) {
  std::vector<std::vector<uint8_t>> out;
  const size_t n = sizeof kVolumeSeparator - 1;
  size_t from = 0;
  for (size_t i = 0; i + n <= size;) {
    if (std::memcmp(data + i, kVolumeSeparator, n) == 0) {
      out.emplace_back(data + from, data + i);
      i += n;
      from = i;
    } else {
      ++i;
    }
  }
  out.emplace_back(data + from, data + size);
  return out;
}

// A plain buffer: it must outlive the exit handler that removes the file.
char g_temp[64];

void RemoveTemp() { std::remove(g_temp); }

const char* TempPath() {
  if (!g_temp[0]) {
    std::snprintf(g_temp, sizeof g_temp, "/tmp/fuzz_zpk_%d.zpk", int(getpid()));
    std::atexit(RemoveTemp);
  }
  return g_temp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::vector<uint8_t>> volumes = Split(data, size);

  kw::zpk::ArchiveReader r;
  kw::zpk::VolumeSource first{"volume 1", kw::zpk::MemorySource(volumes[0])};
  kw::zpk::ReadError e = r.Open(std::move(first), [&](uint16_t n) {
    if (n > volumes.size()) return kw::zpk::VolumeSource{"volume " + std::to_string(n), nullptr};
    return kw::zpk::VolumeSource{"volume " + std::to_string(n), kw::zpk::MemorySource(volumes[n - 1])};
  });
  if (e.ok()) {
    r.Test();
    for (const kw::zpk::ArchivedFile& f : r.files()) kw::zpk::SafeRelativePath(f.name);
  }

  // The library's open reads the first volume from a file.
  FILE* f = std::fopen(TempPath(), "wb");
  if (!f) return 0;
  std::fwrite(volumes[0].data(), 1, volumes[0].size(), f);
  std::fclose(f);
  ArchiveHandle h = ArchiveOpen(TempPath(), kArchiveOpenReadOnly | kArchiveOpenNoCreate, nullptr);
  if (h) {
    ArchiveEnumFiles(h, "*", [](const EntryInfo*, ArchiveUserValue, int) { return 1; }, 0);
    ArchiveFindFile(h, "SETUP.INF");
    ArchiveInfo info;
    ArchiveGetInfo(h, &info);
    ArchiveClose(h);
  }
  return 0;
}
