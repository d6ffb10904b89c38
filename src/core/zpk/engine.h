// The compression engine: one file's data deflated in 2048-byte blocks, or
// stored, with progress, cancellation and the volume-full stop.
#pragma once
#include <cstdint>

#include "zpk/fileio.h"
#include "zpk/zpk.h"

namespace kw::zpk {

constexpr uint32_t kContextTag = 0x95276489u;
constexpr int kVolumeFull = 0x12345678;
constexpr uint32_t kBlockSize = 2048;
constexpr uint32_t kEndReserve = 10;                       // the end record
constexpr uint32_t kFullThreshold = kBlockSize + kEndReserve;  // 2058

struct CompressionContext {
  uint32_t tag = kContextTag;
  uint32_t crc = 0;       // raw CRC-32 register; the entry field is its complement
  uint32_t packed = 0;    // bytes written by the last run
  uint32_t size = 0;      // unpacked size of the file
  uint32_t consumed = 0;  // in: consumed by earlier runs; out: read by this run
  ArchiveHandle archive = nullptr;
  // Cleared once the file has spanned volumes (its pieces are already out)
  // or when a stored copy would not fit: deflate then runs to the end.
  bool allowFallback = true;
};

// Cancel raised from a progress report; the add turns it into error 2.
struct TXZPK {};
// A data write failed; the add turns it into error 8.
struct ZpkWriteError {};

CompressionContext* ContextCreate(ArchiveHandle archive);
bool ContextFree(CompressionContext* c);
bool ContextSetCrc(CompressionContext* c, uint32_t v);
uint32_t ContextGetCrc(CompressionContext* c);
bool ContextSetPacked(CompressionContext* c, uint32_t v);
uint32_t ContextGetPacked(CompressionContext* c);
bool ContextSetSize(CompressionContext* c, uint32_t v);
uint32_t ContextGetSize(CompressionContext* c);

// 1 finished, 0 not worthwhile (store instead), kVolumeFull, or zlib's
// negative initialisation error.
int CompressFile(ArchiveStream& src, ArchiveStream& dst, CompressionContext* c);
// Copies the rest of the source; returns 1.
int StoreFile(ArchiveStream& src, ArchiveStream& dst, CompressionContext* c);

}  // namespace kw::zpk
