// Feeds arbitrary SETUP.INF files to the setup record reader.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "setupinf/setupdata.h"
#include "stream/qvarchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kw-fuzz-setupinf-" + std::to_string(getpid()) + ".inf";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite("QVJN", 1, 4, f);
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  CSetupData d;
  try {
    d.ReadFile(path);
  } catch (const CQVArchive::CXQVArchive&) {
  }
  return 0;
}
