#include "zpk/engine.h"

#include <cstring>
#include <new>

#include "zpk/handle.h"

namespace kw::zpk {

void DeflateState::Release() {
  if (active) deflateEnd(&z);
  in.reset();
  out.reset();
  active = finishPending = ended = false;
}

namespace {

bool Valid(const CompressionContext* c) { return c && c->tag == kContextTag; }

uint32_t CrcUpdate(uint32_t reg, const uint8_t* p, size_t n) {
  return ~static_cast<uint32_t>(crc32(~reg, p, static_cast<uInt>(n)));
}

// Volume-limit arithmetic on 64-bit positions.
struct Limit {
  explicit Limit(uint32_t l) : value(l), none(l == kArchiveNoLimit) {}
  // The position from which a write may fill the volume.
  bool NearFull(int64_t pos) const {
    if (none) return false;
    int64_t threshold = value >= kFullThreshold ? int64_t(value) - kFullThreshold : 0;
    return pos >= threshold;
  }
  // How much of `waiting` may still go into the volume; all of it when the
  // volume is already past its last usable byte, so that a file always moves.
  size_t Room(int64_t pos, size_t waiting) const {
    int64_t room = int64_t(value) - pos - kEndReserve;
    if (room < 0) return waiting;
    return size_t(room) < waiting ? size_t(room) : waiting;
  }
  uint32_t value;
  bool none;
};

class Engine {
 public:
  Engine(ArchiveStream& src, ArchiveStream& dst, CompressionContext* c)
      : src_(src), dst_(dst), c_(c), h_(c->archive), d_(h_->deflate), limit_(h_->limit) {}

  int Run() {
    bool wasActive = d_.active;
    if (!d_.active) {
      int rc = Init();
      if (rc != Z_OK) return rc;
    }
    bool full = false;
    if (!d_.finishPending) {
      if (wasActive) WriteWaitingAndReset();
      full = FeedInput();
      if (result_ >= 0) return result_;
    }
    if (!full) {
      full = Finish();
      if (result_ >= 0) return result_;
    }
    c_->packed = written_;
    c_->consumed = read_;
    c_->crc = crc_;
    Report(full ? 0 : 1);
    SetLastError(kZpkOk);
    if (full) return kVolumeFull;
    d_.Release();
    return 1;
  }

 private:
  int Init() {
    d_.in.reset(new uint8_t[kBlockSize]);
    d_.out.reset(new uint8_t[kBlockSize]);
    std::memset(&d_.z, 0, sizeof d_.z);
    int rc = deflateInit2(&d_.z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    if (rc != Z_OK) {
      d_.in.reset();
      d_.out.reset();
      return rc;
    }
    d_.z.next_in = d_.in.get();
    d_.z.avail_in = 0;
    ResetOut();
    d_.active = true;
    d_.finishPending = d_.ended = false;
    return Z_OK;
  }

  size_t Waiting() const { return kBlockSize - d_.z.avail_out; }
  void ResetOut() {
    d_.z.next_out = d_.out.get();
    d_.z.avail_out = kBlockSize;
  }

  void Write(const uint8_t* p, size_t n) {
    if (!dst_.Write(p, n)) {
      d_.Release();
      throw ZpkWriteError();
    }
    written_ += static_cast<uint32_t>(n);
  }

  void WriteWaitingAndReset() {
    Write(d_.out.get(), Waiting());
    ResetOut();
  }

  // Writes what fits of the waiting output and keeps the rest at the front.
  void WritePartial() {
    size_t waiting = Waiting();
    size_t n = limit_.Room(dst_.Tell(), waiting);
    Write(d_.out.get(), n);
    std::memmove(d_.out.get(), d_.out.get() + n, waiting - n);
    d_.z.next_out = d_.out.get() + (waiting - n);
    d_.z.avail_out = static_cast<uInt>(kBlockSize - (waiting - n));
  }

  bool NotWorthwhile() {
    if (!c_->allowFallback || d_.z.total_out <= c_->size) return false;
    d_.Release();
    result_ = 0;
    return true;
  }

  void Report(uint32_t finished) {
    ProgressRecord r{c_->size, read_ + base_, finished};
    if (CallBack(h_, kArchiveCallbackProgress, &r) == 2) {
      d_.Release();
      SetLastError(kZpkCancelled);
      throw TXZPK();
    }
  }

  void Deflate(int flush) {
    int rc = deflate(&d_.z, flush);
    if (rc == Z_STREAM_END) {
      d_.ended = true;
    } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
      d_.Release();
      throw std::bad_alloc();
    }
  }

  // Phase 1: all input through deflate without flushing. True on volume full.
  bool FeedInput() {
    for (;;) {
      if (d_.z.avail_in == 0) {
        size_t n = src_.Read(d_.in.get(), kBlockSize);
        if (n == 0) return false;
        read_ += static_cast<uint32_t>(n);
        crc_ = CrcUpdate(crc_, d_.in.get(), n);
        d_.z.next_in = d_.in.get();
        d_.z.avail_in = static_cast<uInt>(n);
      }
      Deflate(Z_NO_FLUSH);
      Report(0);
      if (d_.z.avail_out != 0) continue;
      if (NotWorthwhile()) return false;
      if (limit_.NearFull(dst_.Tell())) {
        WritePartial();
        return true;
      }
      WriteWaitingAndReset();
    }
  }

  // Phase 2: deflate with finish until the stream ends. True on volume full.
  bool Finish() {
    if (d_.finishPending) WriteWaitingAndReset();
    do {
      if (!d_.ended) Deflate(Z_FINISH);
      d_.finishPending = false;
      if (NotWorthwhile()) return false;
      int64_t pos = dst_.Tell();
      size_t waiting = Waiting();
      if (waiting > 0 && limit_.NearFull(pos) &&
          pos + int64_t(waiting) > int64_t(limit_.value) - int64_t(kEndReserve)) {
        WritePartial();
        d_.finishPending = true;
        return true;
      }
      WriteWaitingAndReset();
    } while (!d_.ended);
    return false;
  }

  ArchiveStream& src_;
  ArchiveStream& dst_;
  CompressionContext* c_;
  ArchiveHandleRec* h_;
  DeflateState& d_;
  Limit limit_;
  uint32_t written_ = 0;
  uint32_t read_ = 0;
  uint32_t crc_ = c_->crc;
  const uint32_t base_ = c_->consumed;  // consumed by earlier runs
  int result_ = -1;  // set to 0 when the file proves not worthwhile
};

}  // namespace

CompressionContext* ContextCreate(ArchiveHandle archive) {
  CompressionContext* c = new (std::nothrow) CompressionContext();
  if (!c) {
    SetLastError(kZpkException);
    return nullptr;
  }
  c->archive = archive;
  SetLastError(kZpkOk);
  return c;
}

bool ContextFree(CompressionContext* c) {
  if (!Valid(c)) return SetLastError(kZpkBadHandle), false;
  c->tag = 0;
  delete c;
  return true;
}

#define KW_ZPK_ACCESSORS(Name, field)                                   \
  bool ContextSet##Name(CompressionContext* c, uint32_t v) {            \
    if (!Valid(c)) return SetLastError(kZpkBadHandle), false;           \
    c->field = v;                                                       \
    return true;                                                        \
  }                                                                     \
  uint32_t ContextGet##Name(CompressionContext* c) {                    \
    if (!Valid(c)) return SetLastError(kZpkBadHandle), 0;               \
    return c->field;                                                    \
  }
KW_ZPK_ACCESSORS(Crc, crc)
KW_ZPK_ACCESSORS(Packed, packed)
KW_ZPK_ACCESSORS(Size, size)
#undef KW_ZPK_ACCESSORS

int CompressFile(ArchiveStream& src, ArchiveStream& dst, CompressionContext* c) {
  if (!Valid(c) || !c->archive) {
    SetLastError(kZpkBadHandle);
    return Z_STREAM_ERROR;
  }
  return Engine(src, dst, c).Run();
}

int StoreFile(ArchiveStream& src, ArchiveStream& dst, CompressionContext* c) {
  if (!Valid(c) || !c->archive) {
    SetLastError(kZpkBadHandle);
    return Z_STREAM_ERROR;
  }
  uint8_t buf[kBlockSize];
  uint32_t reg = 0xFFFFFFFFu;
  uint32_t count = 0;
  const uint32_t step = c->size / 100;
  for (;;) {
    size_t n = src.Read(buf, sizeof buf);
    if (n == 0) break;
    if (!dst.Write(buf, n)) throw ZpkWriteError();
    reg = CrcUpdate(reg, buf, n);
    count += static_cast<uint32_t>(n);
    if (c->size >= 100 && count % step == 0) {
      ProgressRecord r{c->size, count, 0};
      if (CallBack(c->archive, kArchiveCallbackProgress, &r) == 2) {
        SetLastError(kZpkCancelled);
        throw TXZPK();
      }
    }
  }
  // The bytes actually copied, so that the entry always describes its data.
  c->packed = count;
  c->consumed = count;
  c->crc = ~reg;
  ProgressRecord r{c->size, count, 1};
  if (CallBack(c->archive, kArchiveCallbackProgress, &r) == 2) {
    SetLastError(kZpkCancelled);
    throw TXZPK();
  }
  SetLastError(kZpkOk);
  return 1;
}

}  // namespace kw::zpk
