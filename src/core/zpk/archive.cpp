// The flat interface of the archive library: opening, adding with spanning,
// removing, finding and enumerating entries.
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>

#include "platform/clock.h"
#include "platform/filesys.h"
#include "zpk/engine.h"
#include "zpk/handle.h"
#include "zpk/names.h"

namespace kw::zpk {
namespace {

uint32_t g_lastError = 0;

constexpr uint32_t kVersion = 0x970D0130u;
constexpr size_t kMoveBlock = 16384;
constexpr int64_t kBackwardWindow = 1024;

// A failed record operation, carrying its error code.
struct ArchiveError {
  uint32_t code;
};

bool Valid(ArchiveHandle h) { return h && h->tag == kHandleTag; }

size_t ReadAt(ArchiveStream& s, int64_t pos, void* buf, size_t n) {
  if (!s.Seek(pos, ArchiveStream::kBegin)) return 0;
  return s.Read(buf, n);
}

void WriteAt(ArchiveStream& s, int64_t pos, const std::vector<uint8_t>& bytes) {
  if (!s.Seek(pos, ArchiveStream::kBegin) || !s.Write(bytes.data(), bytes.size()))
    throw ArchiveError{kZpkWriteFailed};
}

uint32_t Distance(ArchiveHandleRec* h, int64_t pos) { return static_cast<uint32_t>(pos - h->start); }

void WriteHeader(ArchiveHandleRec* h) { WriteAt(h->stream, h->start, EncodeHeader(h->header)); }

void WriteEnd(ArchiveHandleRec* h) {
  Record& end = h->records.back();
  // The end record's distance is a 32-bit field: an archive must not outgrow it.
  if (end.pos - h->start > int64_t(UINT32_MAX)) throw ArchiveError{kZpkTooLarge};
  WriteAt(h->stream, end.pos, EncodeEndRecord(Distance(h, end.pos)));
  end.after = end.pos + int64_t(kEndRecordSize);
}

std::string WithDefaultExtension(const std::string& path) {
  return SplitPath(path).ext.empty() ? path + ".ZPK" : path;
}

// Where an existing file's archive starts; -1 when it holds none.
int64_t FindArchive(ArchiveStream& s, bool append, bool& startNew) {
  startNew = false;
  uint8_t first[16];
  size_t n = ReadAt(s, 0, first, sizeof first);
  for (size_t i = 0; i + 4 <= n; ++i)
    if (std::memcmp(first + i, kSignature, 4) == 0) return int64_t(i);
  int64_t size = s.Size();
  if (size < 0) return -1;
  if (append) {
    startNew = true;
    return size;
  }
  int64_t from = size > kBackwardWindow ? size - kBackwardWindow : 0;
  std::vector<uint8_t> tail(size_t(size - from));
  if (ReadAt(s, from, tail.data(), tail.size()) != tail.size()) return -1;
  for (int64_t p = size - 1; p >= from; --p) {
    size_t i = size_t(p - from);
    uint32_t distance;
    if (ParseEndRecord(tail.data() + i, tail.size() - i, distance) && distance <= p)
      return p - distance;
  }
  return -1;
}

void ReadArchive(ArchiveHandleRec* h) {
  ArchiveStream& s = h->stream;
  int64_t size = s.Size();
  std::vector<uint8_t> buf(kMaxHeaderSize);
  size_t n = ReadAt(s, h->start, buf.data(), buf.size());
  size_t used = 0;
  switch (ParseHeader(buf.data(), n, h->header, used)) {
    case ParseResult::kOk: break;
    case ParseResult::kShort: throw ArchiveError{kZpkShortRead};
    default: throw ArchiveError{kZpkChecksum};
  }
  h->volume = h->header.volume;
  int64_t pos = h->start + int64_t(used);
  buf.resize(kMaxEntrySize);
  for (;;) {
    n = ReadAt(s, pos, buf.data(), buf.size());
    uint16_t tag;
    if (n < 6) throw ArchiveError{kZpkShortRead};
    if (!PeekTag(buf.data(), n, tag)) throw ArchiveError{kZpkChecksum};
    Record r;
    r.pos = pos;
    if (tag == 0) {
      if (n < kEndRecordSize) throw ArchiveError{kZpkShortRead};
      r.isEnd = true;
      r.after = pos + int64_t(kEndRecordSize);
      h->records.push_back(r);
      return;
    }
    switch (ParseEntry(buf.data(), n, r.entry, used)) {
      case ParseResult::kOk: break;
      case ParseResult::kShort: throw ArchiveError{kZpkShortRead};
      default: throw ArchiveError{kZpkChecksum};
    }
    r.after = pos + int64_t(used);
    if (int64_t(r.entry.packed) > size - r.after) throw ArchiveError{kZpkShortRead};
    h->records.push_back(r);
    pos = r.after + int64_t(r.entry.packed);
  }
}

void StartArchive(ArchiveHandleRec* h, const std::string& path) {
  PathParts parts = SplitPath(path);
  Header& hd = h->header;
  hd = Header();
  hd.options = (h->options & kArchiveOpenMarkOption) ? 1 : 0;
  hd.created = hd.modified = h->openTime;
  hd.volume = h->volume;
  hd.name = parts.fname + parts.ext;
  WriteHeader(h);
  Record end;
  end.isEnd = true;
  end.pos = h->start + int64_t(EncodeHeader(hd).size());
  h->records.assign(1, end);
  WriteEnd(h);
  if (!h->stream.Flush()) throw ArchiveError{kZpkWriteFailed};
}

// Opens (or creates) one volume file into the handle. Throws ArchiveError.
void OpenVolume(ArchiveHandleRec* h, const std::string& pathIn, uint32_t options) {
  std::string path = WithDefaultExtension(pathIn);
  h->stream.Close();
  h->records.clear();
  bool created = false;
  if (!(options & kArchiveOpenCreate))
    h->stream.Open(path, (options & kArchiveOpenReadOnly) ? "rb" : "r+b");
  // A file that exists but would not open is never created over: that
  // would destroy it.
  std::error_code ec;
  bool exists = (options & kArchiveOpenCreate) == 0 && std::filesystem::exists(path, ec);
  if (!h->stream.IsOpen() && !(options & kArchiveOpenNoCreate) && !exists) {
    created = h->stream.Open(path, "w+b");
  }
  if (!h->stream.IsOpen()) throw ArchiveError{kZpkCannotOpen};
  h->openTime = kw::Now();
  if (created) {
    h->start = 0;
    StartArchive(h, path);
    return;
  }
  bool startNew = false;
  int64_t start = FindArchive(h->stream, (options & kArchiveOpenAppend) != 0, startNew);
  if (start < 0) throw ArchiveError{kZpkNoArchive};
  h->start = start;
  if (startNew)
    StartArchive(h, path);
  else
    ReadArchive(h);
}

bool EntryMatches(const std::string& pattern, const Entry& e) {
  return NameMatches(pattern, e.shortName) || (!e.longName.empty() && NameMatches(pattern, e.longName));
}

// Index of the first entry matching the pattern, or -1.
long FindEntry(ArchiveHandleRec* h, const std::string& pattern) {
  for (size_t i = 0; i + 1 < h->records.size(); ++i)
    if (!h->records[i].isEnd && EntryMatches(pattern, h->records[i].entry)) return long(i);
  return -1;
}

// Cuts an entry and its data out of the volume.
void RemoveAt(ArchiveHandleRec* h, size_t index) {
  ArchiveStream& s = h->stream;
  Record victim = h->records[index];
  int64_t from = victim.after + int64_t(victim.entry.packed);
  int64_t span = from - victim.pos;
  int64_t size = s.Size();
  if (size < from) throw ArchiveError{kZpkShortRead};
  std::vector<uint8_t> block(kMoveBlock);
  for (int64_t src = from; src < size;) {
    size_t want = size - src < int64_t(kMoveBlock) ? size_t(size - src) : kMoveBlock;
    if (ReadAt(s, src, block.data(), want) != want) throw ArchiveError{kZpkShortRead};
    if (!s.Seek(src - span, ArchiveStream::kBegin) || !s.Write(block.data(), want))
      throw ArchiveError{kZpkWriteFailed};
    src += int64_t(want);
  }
  if (!s.SetSize(size - span)) throw ArchiveError{kZpkWriteFailed};
  h->records.erase(h->records.begin() + long(index));
  for (size_t i = index; i < h->records.size(); ++i) {
    h->records[i].pos -= span;
    h->records[i].after -= span;
  }
  WriteEnd(h);
  h->header.modified = h->openTime;
  WriteHeader(h);
  if (!s.Flush()) throw ArchiveError{kZpkWriteFailed};
}

void FillEntryInfo(const Entry& e, EntryInfo& info) {
  std::memset(&info, 0, sizeof info);
  info.version1 = e.version1;
  info.version2 = e.version2;
  info.constant3 = e.constant3;
  info.flags = e.flags;
  info.method = e.method;
  info.constant0 = e.constant0;
  info.mtime = e.mtime;
  info.packedSize = e.packed;
  info.unpackedSize = e.unpacked;
  info.crc = e.crc;
  info.attributes = e.attributes;
  info.extra = e.extra;
  std::strncpy(info.shortName, e.shortName.c_str(), sizeof info.shortName - 1);
  std::strncpy(info.longName, e.longName.c_str(), sizeof info.longName - 1);
  std::strncpy(info.thirdName, e.thirdName.c_str(), sizeof info.thirdName - 1);
}

// One file being added: its entry in the current volume and the source.
class Adder {
 public:
  Adder(ArchiveHandleRec* h, const std::string& path, uint32_t options)
      : h_(h), path_(path), options_(options) {}
  ~Adder() {
    if (ctx_) ContextFree(ctx_);
    h_->deflate.Release();
    h_->busy = false;
  }

  void Run() {
    // A name cut to fit would match another file's and replace it.
    std::string longName, shortName;
    if (!StoredNames(path_, options_, longName, shortName)) throw ArchiveError{kZpkNameTooLong};

    // The source first: a file that cannot be read must not cost the entry
    // it would have replaced.
    FileStatus st;
    if (!GetFileStatus(path_, st)) throw ArchiveError{kZpkCannotOpen};
    if (st.size > UINT32_MAX) throw ArchiveError{kZpkTooLarge};
    if (!src_.Open(path_, "rb")) throw ArchiveError{kZpkCannotOpen};
    h_->header.modified = h_->openTime;
    WriteHeader(h_);
    long old = FindEntry(h_, longName);
    if (old >= 0) RemoveAt(h_, size_t(old));
    h_->busy = true;
    Entry& e = piece_.entry;
    e.mtime = st.mtime;
    e.unpacked = static_cast<uint32_t>(st.size);
    e.attributes = st.attributes;
    e.shortName = shortName;
    e.longName = longName;
    // A record that would leave no room for the end record opens the next
    // volume instead, so that no volume outgrows its limit.
    if (h_->limit != kArchiveNoLimit && h_->records.size() > 1 &&
        h_->records.back().pos + int64_t(EntrySize(e) + kEndReserve) > int64_t(h_->limit)) {
      NextVolumeNumber();
      OpenNextVolume();
    }
    BeginPiece();

    ctx_ = ContextCreate(h_);
    if (!ctx_) throw std::bad_alloc();
    ctx_->crc = 0xFFFFFFFFu;
    ctx_->size = static_cast<uint32_t>(st.size);
    uint32_t consumed = 0;
    for (;;) {
      ctx_->consumed = consumed;
      int rc = CompressFile(src_, h_->stream, ctx_);
      if (rc < 0) throw ArchiveError{kZpkException};
      if (rc == 0) {
        if (StoredCopyFits(e.unpacked)) {
          Rewind();
          e.method = kMethodStored;
          StoreFile(src_, h_->stream, ctx_);
          e.packed = ctx_->packed;
          e.crc = ctx_->crc;
          consumed = ctx_->consumed;
          UpdatePiece();
          break;
        }
        // A stored copy would overrun the volume: deflate to the end instead.
        Rewind();
        ctx_->allowFallback = false;
        ctx_->crc = 0xFFFFFFFFu;
        consumed = 0;
        continue;
      }
      consumed += ctx_->consumed;
      e.packed = ctx_->packed;
      e.crc = ~ctx_->crc;
      UpdatePiece();
      if (rc == 1) break;
      NextVolume();
    }
    if (!h_->stream.Flush()) throw ArchiveError{kZpkWriteFailed};
    // The entry's size came from the status before reading: a file that
    // grew, shrank or was rewritten meanwhile would give a wrong entry.
    FileStatus after;
    if (consumed != e.unpacked || !GetFileStatus(path_, after) || after.size != st.size || after.mtime != st.mtime)
      throw ArchiveError{kZpkSourceChanged};
    done_ = true;
  }

  // Leaves the current volume a valid archive without the failed file.
  void Undo() {
    if (done_ || !started_) return;
    try {
      if (linked_) h_->records.erase(h_->records.end() - 2);
      h_->records.back().pos = piece_.pos;
      WriteEnd(h_);
      h_->stream.SetSize(piece_.pos + int64_t(kEndRecordSize));
      h_->stream.Flush();
    } catch (const ArchiveError&) {
    }
  }

 private:
  // The entry takes the place of the end record.
  void BeginPiece() {
    piece_.pos = h_->records.back().pos;
    std::vector<uint8_t> bytes = EncodeEntry(piece_.entry);
    started_ = true;
    linked_ = false;
    WriteAt(h_->stream, piece_.pos, bytes);
    piece_.after = piece_.pos + int64_t(bytes.size());
  }

  void UpdatePiece() {
    WriteAt(h_->stream, piece_.pos, EncodeEntry(piece_.entry));
    if (!linked_) {
      h_->records.insert(h_->records.end() - 1, piece_);
      linked_ = true;
    } else {
      h_->records[h_->records.size() - 2] = piece_;
    }
    h_->records.back().pos = piece_.after + int64_t(piece_.entry.packed);
    WriteEnd(h_);
    if (!h_->stream.Seek(h_->records.back().pos, ArchiveStream::kBegin))
      throw ArchiveError{kZpkWriteFailed};
  }

  bool StoredCopyFits(uint32_t size) const {
    if (h_->limit == kArchiveNoLimit) return true;
    return piece_.after + int64_t(size) + int64_t(kEndReserve) <= int64_t(h_->limit);
  }

  void Rewind() {
    if (!src_.Seek(0, ArchiveStream::kBegin) || !h_->stream.Seek(piece_.after, ArchiveStream::kBegin))
      throw ArchiveError{kZpkWriteFailed};
  }

  void NextVolumeNumber() {
    if (h_->volume == UINT16_MAX) throw ArchiveError{kZpkTooLarge};
    ++h_->volume;
  }

  void NextVolume() {
    NextVolumeNumber();
    piece_.entry.flags |= kEntrySpans;
    UpdatePiece();
    if (!h_->stream.Flush()) throw ArchiveError{kZpkWriteFailed};
    OpenNextVolume();
    piece_.entry.packed = 0;
    BeginPiece();
    ctx_->allowFallback = false;
    if (!h_->stream.Seek(piece_.after, ArchiveStream::kBegin)) throw ArchiveError{kZpkWriteFailed};
  }

  // Asks the callback for the next volume's path and opens it in the handle.
  void OpenNextVolume() {
    NextVolumeRequest req;
    std::memset(&req, 0, sizeof req);
    req.volume = h_->volume;
    if (CallBack(h_, kArchiveCallbackNextVolume, &req) == 0) throw ArchiveError{kZpkCancelled};
    req.name[sizeof req.name - 1] = '\0';
    if (req.name[0] == '\0') throw ArchiveError{kZpkCannotOpen};
    started_ = false;
    OpenVolume(h_, req.name, kArchiveOpenCreate);
  }

  ArchiveHandleRec* h_;
  std::string path_;
  uint32_t options_;
  ArchiveStream src_;
  CompressionContext* ctx_ = nullptr;
  Record piece_;
  bool started_ = false;  // the piece's record overwrote the end record
  bool linked_ = false;   // the piece is in the handle's list
  bool done_ = false;
};

// Runs an operation, turning its failures into the last error.
template <class F>
bool Guard(F&& f) {
  try {
    f();
    return true;
  } catch (const ArchiveError& e) {
    g_lastError = e.code;
  } catch (const TXZPK&) {
    g_lastError = kZpkCancelled;
  } catch (const ZpkWriteError&) {
    g_lastError = kZpkWriteFailed;
  } catch (const std::exception&) {
    g_lastError = kZpkException;
  }
  return false;
}

ArchiveHandle Open(const char* path, uint32_t options, ArchiveCallback callback, uint32_t limit) {
  if (!path) {
    g_lastError = kZpkCannotOpen;
    return nullptr;
  }
  ArchiveHandleRec* h = new (std::nothrow) ArchiveHandleRec();
  if (!h) {
    g_lastError = kZpkException;
    return nullptr;
  }
  h->options = options;
  h->callback = callback;
  h->limit = limit;
  if (!Guard([&] { OpenVolume(h, path, options); })) {
    h->tag = 0;
    delete h;
    return nullptr;
  }
  g_lastError = kZpkOk;
  return h;
}

}  // namespace

void SetLastError(uint32_t code) { g_lastError = code; }

int CallBack(ArchiveHandleRec* h, int kind, void* record) {
  return h->callback ? h->callback(kind, record, h->user) : 1;
}

}  // namespace kw::zpk

using namespace kw::zpk;

int ArchiveStartup() {
  g_lastError = kZpkOk;
  return 1;
}

int ArchiveShutdown() {
  g_lastError = kZpkOk;
  return 1;
}

uint32_t ArchiveGetVersion() { return kVersion; }

uint32_t ArchiveGetLastError() { return g_lastError; }

int ArchiveGetSystemError() { return LastStreamError(); }

ArchiveHandle ArchiveOpen(const char* path, uint32_t options, ArchiveCallback callback) {
  if (options & kArchiveOpenSizedOnly) {
    g_lastError = kZpkNeedsLimit;
    return nullptr;
  }
  return Open(path, options, callback, kArchiveNoLimit);
}

ArchiveHandle ArchiveOpenSized(const char* path, uint32_t options, ArchiveCallback callback,
                               uint32_t volumeLimit) {
  return Open(path, options, callback, volumeLimit);
}

bool ArchiveClose(ArchiveHandle h) {
  if (!Valid(h)) return g_lastError = kZpkBadHandle, false;
  h->deflate.Release();
  bool ok = h->stream.Close();
  h->tag = 0;
  delete h;
  g_lastError = ok ? kZpkOk : kZpkWriteFailed;
  return ok;
}

bool ArchiveAddFile(ArchiveHandle h, const char* path, uint32_t options) {
  if (!Valid(h)) return g_lastError = kZpkBadHandle, false;
  if (h->options & kArchiveOpenReadOnly) return g_lastError = kZpkReadOnly, false;
  if (h->busy) return g_lastError = kZpkBusy, false;
  if (!path || !h->stream.IsOpen()) return g_lastError = kZpkCannotOpen, false;
  Adder adder(h, path, options);
  bool ok = Guard([&] { adder.Run(); });
  if (!ok) {
    uint32_t code = g_lastError;
    adder.Undo();
    g_lastError = code;
    return false;
  }
  g_lastError = kZpkOk;
  return true;
}

bool ArchiveRemoveFile(ArchiveHandle h, const char* pattern) {
  if (!Valid(h)) return g_lastError = kZpkBadHandle, false;
  if (h->options & kArchiveOpenReadOnly) return g_lastError = kZpkReadOnly, false;
  if (h->busy) return g_lastError = kZpkBusy, false;
  long i = FindEntry(h, pattern ? pattern : "");
  if (i < 0) return g_lastError = kZpkNoMatch, false;
  if (!Guard([&] { RemoveAt(h, size_t(i)); })) return false;
  g_lastError = kZpkOk;
  return true;
}

bool ArchiveFindFile(ArchiveHandle h, const char* pattern) {
  if (!Valid(h)) return g_lastError = kZpkBadHandle, false;
  if (FindEntry(h, pattern ? pattern : "") < 0) return g_lastError = kZpkNoMatch, false;
  g_lastError = kZpkOk;
  return true;
}

bool ArchiveEnumFiles(ArchiveHandle h, const char* patternIn, ArchiveEntryCallback callback,
                      ArchiveUserValue user) {
  if (!Valid(h)) return g_lastError = kZpkBadHandle, false;
  std::string pattern = patternIn ? patternIn : "";
  bool any = false;
  EntryInfo info;
  size_t i = 0;
  while (i + 1 < h->records.size()) {
    const Entry e = h->records[i].entry;
    ++i;
    if ((e.flags & kEntryHidden) || !EntryMatches(pattern, e)) continue;
    any = true;
    FillEntryInfo(e, info);
    uint16_t volume = h->volume;
    int rc = callback ? callback(&info, user, 0) : 1;
    if (!Valid(h)) return g_lastError = kZpkBadHandle, false;
    if (rc == 0) return g_lastError = kZpkCancelled, false;
    if (h->volume != volume) {
      // The handle now reads another volume: go on after the entry that
      // carries the name last reported.
      long at = FindEntry(h, e.longName.empty() ? e.shortName : e.longName);
      if (at < 0) break;
      i = size_t(at) + 1;
    }
  }
  if (!any) return g_lastError = kZpkNoMatch, false;
  g_lastError = kZpkOk;
  return true;
}

bool ArchiveGetInfo(ArchiveHandle h, ArchiveInfo* info) {
  if (!Valid(h)) return g_lastError = kZpkBadHandle, false;
  if (!info) return g_lastError = kZpkException, false;
  std::memset(info, 0, sizeof *info);
  const Header& hd = h->header;
  info->version1 = hd.version1;
  info->version2 = hd.version2;
  info->constant3 = hd.constant3;
  info->options = hd.options;
  info->constant2 = hd.constant2;
  info->created = hd.created;
  info->modified = hd.modified;
  std::strncpy(info->volumeName, hd.name.c_str(), sizeof info->volumeName - 1);
  g_lastError = kZpkOk;
  return true;
}

bool ArchiveSetUserData(ArchiveHandle h, ArchiveUserValue user) {
  if (!Valid(h)) return g_lastError = kZpkBadHandle, false;
  h->user = user;
  g_lastError = kZpkOk;
  return true;
}

ArchiveUserValue ArchiveGetUserData(ArchiveHandle h) {
  if (!Valid(h)) return g_lastError = kZpkBadHandle, 0;
  g_lastError = kZpkOk;
  return h->user;
}
