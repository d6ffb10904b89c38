// The archive handle behind ArchiveHandle (internal to the library).
#pragma once
#include <zlib.h>

#include <memory>
#include <string>
#include <vector>

#include "zpk/fileio.h"
#include "zpk/format.h"
#include "zpk/zpk.h"

namespace kw::zpk {

constexpr uint32_t kHandleTag = 0x98124928u;

// Deflate state of the file being added; it outlives a volume switch.
struct DeflateState {
  z_stream z{};
  std::unique_ptr<uint8_t[]> in, out;
  bool active = false;         // stream initialised, buffers allocated
  bool finishPending = false;  // the volume filled while the stream was finishing
  bool ended = false;          // deflate has reported the stream end
  void Release();
  ~DeflateState() { Release(); }
};

// One record of a volume: an entry, or the end record (the list's last element).
struct Record {
  Entry entry;
  bool isEnd = false;
  int64_t pos = 0;    // file position of the record
  int64_t after = 0;  // position just after it
};

}  // namespace kw::zpk

struct ArchiveHandleRec {
  uint32_t tag = kw::zpk::kHandleTag;
  kw::zpk::ArchiveStream stream;
  uint32_t options = 0;
  bool busy = false;
  int64_t start = 0;
  kw::zpk::Header header;
  uint32_t openTime = 0;
  uint16_t volume = 1;
  std::vector<kw::zpk::Record> records;
  uint32_t limit = kArchiveNoLimit;
  ArchiveCallback callback = nullptr;
  ArchiveUserValue user = 0;
  kw::zpk::DeflateState deflate;
};

namespace kw::zpk {
void SetLastError(uint32_t code);
// Calls the handle's callback (or the default one, which returns 1).
int CallBack(ArchiveHandleRec* h, int kind, void* record);
}  // namespace kw::zpk
