#include "zpk/reader.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/filesys.h"
#include "platform/text.h"
#include "zpk/fileio.h"

namespace kw::zpk {
namespace fs = std::filesystem;

namespace {

constexpr size_t kChunk = 65536;
constexpr int64_t kBackwardWindow = 1024;

class FileSource : public ByteSource {
 public:
  explicit FileSource(FILE* f) : f_(f) {
    if (Seek(0, SEEK_END)) size_ = Tell();
  }
  ~FileSource() override { std::fclose(f_); }
  int64_t Size() const override { return size_; }
  size_t ReadAt(int64_t pos, void* buf, size_t n) const override {
    if (pos < 0 || pos >= size_ || !Seek(pos, SEEK_SET)) return 0;
    return std::fread(buf, 1, n, f_);
  }

 private:
  bool Seek(int64_t off, int origin) const {
#ifdef _WIN32
    return _fseeki64(f_, off, origin) == 0;
#else
    return fseeko(f_, static_cast<off_t>(off), origin) == 0;
#endif
  }
  int64_t Tell() const {
#ifdef _WIN32
    return _ftelli64(f_);
#else
    return static_cast<int64_t>(ftello(f_));
#endif
  }
  FILE* f_;
  int64_t size_ = 0;
};

class BufferSource : public ByteSource {
 public:
  explicit BufferSource(std::vector<uint8_t> b) : b_(std::move(b)) {}
  int64_t Size() const override { return int64_t(b_.size()); }
  size_t ReadAt(int64_t pos, void* buf, size_t n) const override {
    if (pos < 0 || uint64_t(pos) >= b_.size()) return 0;
    size_t k = b_.size() - size_t(pos) < n ? b_.size() - size_t(pos) : n;
    std::memcpy(buf, b_.data() + pos, k);
    return k;
  }

 private:
  std::vector<uint8_t> b_;
};

ReadError Fail(ReadStatus s, std::string msg) { return ReadError{s, std::move(msg)}; }

std::string At(const std::string& volume, int64_t pos) {
  return volume + " at offset " + std::to_string(pos);
}

// Start of the archive in a volume, or -1.
int64_t FindStart(const ByteSource& src) {
  uint8_t first[16];
  size_t n = src.ReadAt(0, first, sizeof first);
  for (size_t i = 0; i + 4 <= n; ++i)
    if (std::memcmp(first + i, kSignature, 4) == 0) return int64_t(i);
  int64_t size = src.Size();
  int64_t from = size > kBackwardWindow ? size - kBackwardWindow : 0;
  std::vector<uint8_t> tail(size_t(size - from));
  if (src.ReadAt(from, tail.data(), tail.size()) != tail.size()) return -1;
  for (int64_t p = size - 1; p >= from; --p) {
    size_t i = size_t(p - from);
    uint32_t distance;
    if (ParseEndRecord(tail.data() + i, tail.size() - i, distance) && distance <= p)
      return p - distance;
  }
  return -1;
}

bool SameFile(const Entry& a, const Entry& b) {
  return a.longName == b.longName && a.shortName == b.shortName && a.unpacked == b.unpacked &&
         a.method == b.method && (a.flags & kEntrySpansBit) && (b.flags & kEntrySpansBit);
}

bool IsDeviceName(const std::string& comp) {
  std::string base = comp.substr(0, comp.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  UpperAnsi(base);
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
  for (const char* d : kDevices)
    if (base == d) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
      base[3] >= '0' && base[3] <= '9')
    return true;
  return false;
}

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return nullptr;
  return std::make_unique<FileSource>(f);
}

std::unique_ptr<ByteSource> MemorySource(std::vector<uint8_t> bytes) {
  return std::make_unique<BufferSource>(std::move(bytes));
}

std::string VolumePathFor(const std::string& firstVolume, uint16_t n) {
  fs::path first(firstVolume);
  fs::path dir = first.parent_path();
  std::string dirName = dir.filename().string();
  std::string upper = dirName;
  UpperAnsi(upper);
  bool diskFolder = upper.size() > 4 && upper.compare(0, 4, "DISK") == 0 &&
                    upper.find_first_not_of("0123456789", 4) == std::string::npos;
  std::string num = std::to_string(n);
  if (diskFolder) {
    fs::path sibling = dir.parent_path() / (dirName.substr(0, 4) + num);
    fs::path candidate = sibling / ("SETUP." + num);
    std::error_code ec;
    if (!fs::exists(candidate, ec) && fs::exists(sibling / ("setup." + num), ec))
      candidate = sibling / ("setup." + num);
    return candidate.string();
  }
  return (dir / (first.stem().string() + "." + num)).string();
}

std::string SafeRelativePath(const std::string& stored) {
  std::vector<std::string> parts;
  std::string comp;
  auto flush = [&] {
    std::string c = comp;
    comp.clear();
    // A drive ("C:") at the front names no folder of ours.
    if (parts.empty() && c.size() == 2 && c[1] == ':') return;
    while (!c.empty() && (c.back() == '.' || c.back() == ' ')) c.pop_back();
    if (c.empty()) return;  // also "." and ".."
    for (char& ch : c) {
      unsigned char u = static_cast<unsigned char>(ch);
      if (u < 0x20 || std::strchr("<>:\"|?*", ch)) ch = '_';
    }
    if (IsDeviceName(c)) c = "_" + c;
    parts.push_back(c);
  };
  for (char ch : stored) {
    if (ch == '\\' || ch == '/')
      flush();
    else
      comp += ch;
  }
  flush();
  if (parts.empty()) return "_";
  std::string out;
  for (const std::string& p : parts) {
    if (!out.empty()) out += '/';
    out += p;
  }
  return out;
}

ReadError ArchiveReader::Open(const std::string& path) {
  VolumeSource first{path, OpenFileSource(path)};
  if (!first.source) return Fail(ReadStatus::kCannotOpen, "cannot open " + path);
  return Open(std::move(first), [path](uint16_t n) {
    std::string p = VolumePathFor(path, n);
    return VolumeSource{p, OpenFileSource(p)};
  });
}

ReadError ArchiveReader::LoadVolume(VolumeSource vs, uint16_t expected, bool searchStart) {
  Volume v;
  v.name = vs.name;
  v.source = std::move(vs.source);
  const ByteSource& src = *v.source;
  int64_t size = src.Size();
  v.start = searchStart ? FindStart(src) : 0;
  if (v.start < 0) return Fail(ReadStatus::kNotArchive, v.name + ": no archive found");
  std::vector<uint8_t> buf(kMaxHeaderSize);
  size_t n = src.ReadAt(v.start, buf.data(), buf.size());
  size_t used = 0;
  switch (ParseHeader(buf.data(), n, v.header, used)) {
    case ParseResult::kOk: break;
    case ParseResult::kShort: return Fail(ReadStatus::kDamaged, At(v.name, v.start) + ": header cut short");
    case ParseResult::kBad: return Fail(ReadStatus::kDamaged, At(v.name, v.start) + ": not an archive header");
    case ParseResult::kChecksum:
      return Fail(ReadStatus::kDamaged, At(v.name, v.start) + ": header checksum mismatch");
  }
  if (v.header.volume != expected)
    return Fail(ReadStatus::kDamaged, v.name + ": holds volume " + std::to_string(v.header.volume) +
                                          ", expected volume " + std::to_string(expected));
  v.number = expected;
  int64_t pos = v.start + int64_t(used);
  buf.resize(kMaxEntrySize);
  for (;;) {
    n = src.ReadAt(pos, buf.data(), buf.size());
    uint16_t tag;
    if (n < 6) return Fail(ReadStatus::kDamaged, At(v.name, pos) + ": archive cut short (no end record)");
    if (!PeekTag(buf.data(), n, tag)) return Fail(ReadStatus::kDamaged, At(v.name, pos) + ": no record signature");
    if (tag == 0) {
      uint32_t distance = 0;
      if (!ParseEndRecord(buf.data(), n, distance))
        return Fail(ReadStatus::kDamaged, At(v.name, pos) + ": end record cut short");
      if (int64_t(distance) != pos - v.start)
        return Fail(ReadStatus::kDamaged, At(v.name, pos) + ": end record distance does not match");
      break;
    }
    VolumeEntry ve;
    ve.recordPos = pos;
    switch (ParseEntry(buf.data(), n, ve.entry, used)) {
      case ParseResult::kOk: break;
      case ParseResult::kShort: return Fail(ReadStatus::kDamaged, At(v.name, pos) + ": entry cut short");
      case ParseResult::kBad: return Fail(ReadStatus::kDamaged, At(v.name, pos) + ": malformed entry");
      case ParseResult::kChecksum:
        return Fail(ReadStatus::kDamaged, At(v.name, pos) + ": entry checksum mismatch");
    }
    ve.dataPos = pos + int64_t(used);
    if (int64_t(ve.entry.packed) > size - ve.dataPos)
      return Fail(ReadStatus::kDamaged, At(v.name, pos) + ": packed data runs past the end of the file");
    pos = ve.dataPos + int64_t(ve.entry.packed);
    v.entries.push_back(std::move(ve));
  }
  volumes_.push_back(std::move(v));
  return {};
}

void ArchiveReader::GroupFiles() {
  files_.clear();
  for (size_t vi = 0; vi < volumes_.size(); ++vi) {
    const Volume& v = volumes_[vi];
    for (size_t ei = 0; ei < v.entries.size(); ++ei) {
      const VolumeEntry& ve = v.entries[ei];
      bool continues = false;
      if (ei == 0 && vi > 0 && !files_.empty()) {
        const ArchivedFile& prev = files_.back();
        const Piece& last = prev.pieces.back();
        const Volume& pv = volumes_[last.volume];
        continues = last.volume == vi - 1 && !pv.entries.empty() &&
                    pv.entries.back().dataPos == last.dataPos && SameFile(prev.entry, ve.entry);
      }
      if (!continues) {
        ArchivedFile f;
        f.entry = ve.entry;
        f.name = ve.entry.longName.empty() ? ve.entry.shortName : ve.entry.longName;
        files_.push_back(std::move(f));
      }
      ArchivedFile& f = files_.back();
      f.pieces.push_back(Piece{vi, ve.dataPos, ve.entry.packed});
      f.packedTotal += ve.entry.packed;
      f.crc = ve.entry.crc;
    }
  }
}

// Whether a file that ends its volume flagged as spanning is whole.
ArchiveReader::Completeness ArchiveReader::TrailingFileState(size_t index) const {
  const ArchivedFile& f = files_[index];
  if (f.entry.method == kMethodStored)
    return f.packedTotal >= f.entry.unpacked ? Completeness::kComplete : Completeness::kNeedsMore;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return Completeness::kBroken;
  std::vector<uint8_t> in(kChunk), out(kChunk);
  Completeness result = Completeness::kNeedsMore;
  for (const Piece& p : f.pieces) {
    const ByteSource& src = *volumes_[p.volume].source;
    for (uint32_t done = 0; done < p.packed && result == Completeness::kNeedsMore;) {
      size_t want = p.packed - done < kChunk ? p.packed - done : kChunk;
      size_t got = src.ReadAt(p.dataPos + done, in.data(), want);
      if (got != want) {
        result = Completeness::kBroken;
        break;
      }
      done += uint32_t(got);
      z.next_in = in.data();
      z.avail_in = uInt(got);
      while (z.avail_in > 0) {
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        int rc = inflate(&z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
          result = Completeness::kComplete;
          break;
        }
        if (rc != Z_OK) {
          result = Completeness::kBroken;
          break;
        }
      }
    }
    if (result != Completeness::kNeedsMore) break;
  }
  inflateEnd(&z);
  return result;
}

ReadError ArchiveReader::Open(VolumeSource first, VolumeOpener next) {
  volumes_.clear();
  files_.clear();
  if (!first.source) return Fail(ReadStatus::kCannotOpen, "cannot open " + first.name);
  std::string firstName = first.name;
  ReadError e = LoadVolume(std::move(first), 1, true);
  if (!e.ok()) return e;
  GroupFiles();
  // Further volumes follow as long as their files are there.
  while (volumes_.size() < 0xFFFF) {
    bool pending = false;
    if (!files_.empty()) {
      const Piece& last = files_.back().pieces.back();
      const Volume& v = volumes_[last.volume];
      pending = last.volume + 1 == volumes_.size() && !v.entries.empty() &&
                (v.entries.back().entry.flags & kEntrySpansBit) && v.entries.back().dataPos == last.dataPos;
    }
    uint16_t n = uint16_t(volumes_.size() + 1);
    VolumeSource vs = next ? next(n) : VolumeSource{};
    if (!vs.source) {
      if (pending && TrailingFileState(files_.size() - 1) == Completeness::kNeedsMore)
        return Fail(ReadStatus::kMissingVolume, "volume " + std::to_string(n) + " is missing" +
                                                    (vs.name.empty() ? std::string() : ": " + vs.name) +
                                                    " (needed by " + files_.back().name + ")");
      break;
    }
    std::string name = vs.name;
    size_t before = files_.size();
    ReadError le = LoadVolume(std::move(vs), n, true);
    if (!le.ok()) return le;
    GroupFiles();
    bool continued = before > 0 && files_[before - 1].pieces.back().volume == volumes_.size() - 1;
    if (pending && !continued && TrailingFileState(before - 1) == Completeness::kNeedsMore)
      return Fail(ReadStatus::kDamaged, name + ": does not continue " + files_[before - 1].name);
  }
  return {};
}

ReadError ArchiveReader::Unpack(const ArchivedFile& f, const Sink& sink) const {
  const uint16_t method = f.entry.method;
  if (method != kMethodStored && method != kMethodDeflate)
    return Fail(ReadStatus::kDamaged, f.name + ": unknown method " + std::to_string(method));
  z_stream z{};
  if (method == kMethodDeflate && inflateInit(&z) != Z_OK)
    return Fail(ReadStatus::kDamaged, f.name + ": cannot start inflate");
  std::vector<uint8_t> in(kChunk), out(kChunk);
  uint64_t total = 0;
  uLong crc = crc32(0, Z_NULL, 0);
  bool ended = false;
  ReadError err;
  auto emit = [&](const uint8_t* p, size_t n) {
    total += n;
    if (total > f.entry.unpacked) {
      err = Fail(ReadStatus::kDataError, f.name + ": more data than its size " + std::to_string(f.entry.unpacked));
      return false;
    }
    crc = crc32(crc, p, uInt(n));
    if (sink && !sink(p, n)) {
      err = Fail(ReadStatus::kWriteError, f.name + ": cannot write");
      return false;
    }
    return true;
  };
  for (const Piece& p : f.pieces) {
    const Volume& v = volumes_[p.volume];
    for (uint32_t done = 0; done < p.packed && err.ok();) {
      size_t want = p.packed - done < kChunk ? p.packed - done : kChunk;
      size_t got = v.source->ReadAt(p.dataPos + done, in.data(), want);
      if (got != want) {
        err = Fail(ReadStatus::kDamaged, At(v.name, p.dataPos + done) + ": " + f.name + ": short read");
        break;
      }
      done += uint32_t(got);
      if (method == kMethodStored) {
        emit(in.data(), got);
        continue;
      }
      z.next_in = in.data();
      z.avail_in = uInt(got);
      while (z.avail_in > 0 && err.ok()) {
        if (ended) {
          err = Fail(ReadStatus::kDamaged, v.name + ": " + f.name + ": data after the end of its stream");
          break;
        }
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        int rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
          err = Fail(ReadStatus::kDamaged, v.name + ": " + f.name + ": damaged deflate data" +
                                               (z.msg ? std::string(" (") + z.msg + ")" : std::string()));
          break;
        }
        if (!emit(out.data(), out.size() - z.avail_out)) break;
        if (rc == Z_STREAM_END) ended = true;
      }
    }
    if (!err.ok()) break;
  }
  if (method == kMethodDeflate) {
    // Output still held by inflate once all input is in.
    while (err.ok() && !ended && total <= f.entry.unpacked) {
      z.next_out = out.data();
      z.avail_out = uInt(out.size());
      int rc = inflate(&z, Z_NO_FLUSH);
      size_t n = out.size() - z.avail_out;
      if (n == 0 && rc != Z_STREAM_END) break;
      if (!emit(out.data(), n)) break;
      if (rc == Z_STREAM_END) ended = true;
      else if (rc != Z_OK) break;
    }
    inflateEnd(&z);
    if (err.ok() && !ended) err = Fail(ReadStatus::kDamaged, f.name + ": deflate stream ends early");
  }
  if (!err.ok()) return err;
  if (total != f.entry.unpacked)
    return Fail(ReadStatus::kDataError, f.name + ": " + std::to_string(total) + " bytes, expected " +
                                            std::to_string(f.entry.unpacked));
  if (uint32_t(crc) != f.crc) {
    char buf[64];
    std::snprintf(buf, sizeof buf, ": CRC %08X, expected %08X", unsigned(crc), unsigned(f.crc));
    return Fail(ReadStatus::kDataError, f.name + buf);
  }
  return {};
}

ReadError ArchiveReader::Test(const std::function<void(const ArchivedFile&, const ReadError&)>& report) const {
  ReadError first;
  for (const ArchivedFile& f : files_) {
    ReadError e = Unpack(f, {});
    if (report) report(f, e);
    if (!e.ok() && first.ok()) first = e;
  }
  return first;
}

namespace {
// Creates dir/rel's folders one by one, refusing links that could lead out.
bool PrepareTarget(const fs::path& dir, const std::string& rel, fs::path& target, std::string& why) {
  fs::path cur = dir;
  size_t from = 0;
  std::error_code ec;
  for (;;) {
    size_t slash = rel.find('/', from);
    std::string comp = rel.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
    cur /= comp;
    fs::file_status st = fs::symlink_status(cur, ec);
    if (fs::is_symlink(st)) {
      why = cur.string() + " is a link";
      return false;
    }
    if (slash == std::string::npos) break;
    if (!fs::exists(st)) {
      if (!fs::create_directory(cur, ec)) {
        why = "cannot create folder " + cur.string();
        return false;
      }
    } else if (!fs::is_directory(st)) {
      why = cur.string() + " is not a folder";
      return false;
    }
    from = slash + 1;
  }
  target = cur;
  return true;
}

// A file of its own beside the target: short, so that a target name of 255
// characters still leaves room, and created exclusively, so that nothing
// planted at its name (a link to somewhere else) is written through.
FILE* CreateTemporary(const fs::path& folder, fs::path& path) {
  static unsigned counter = 0;
  for (int tries = 0; tries < 1000; ++tries) {
    char name[16];
    std::snprintf(name, sizeof name, "~zpk%04u.tmp", counter++ % 10000);
    path = folder / name;
    int error = 0;
    if (FILE* f = CreateNewFile(path.string(), error)) return f;
    if (error != EEXIST) return nullptr;
  }
  return nullptr;
}

}  // namespace

ReadError ArchiveReader::Extract(const std::string& dirName,
                                 const std::function<void(const ArchivedFile&, const ReadError&)>& report) const {
  fs::path dir(dirName);
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir, ec)) return Fail(ReadStatus::kWriteError, "cannot create folder " + dirName);
  ReadError first;
  for (const ArchivedFile& f : files_) {
    fs::path target;
    std::string why;
    ReadError e;
    if (!PrepareTarget(dir, SafeRelativePath(f.name), target, why)) {
      e = Fail(ReadStatus::kWriteError, f.name + ": " + why);
    } else {
      fs::path part;
      FILE* out = CreateTemporary(target.parent_path(), part);
      if (!out) {
        e = Fail(ReadStatus::kWriteError, f.name + ": cannot create a file in " + target.parent_path().string());
      } else {
        e = Unpack(f, [&](const uint8_t* p, size_t n) { return std::fwrite(p, 1, n, out) == n; });
        const bool closed = std::fclose(out) == 0;
        if (e.ok() && !closed) e = Fail(ReadStatus::kWriteError, f.name + ": cannot write " + part.string());
      }
      if (e.ok()) {
        if (fs::is_directory(target, ec)) {
          e = Fail(ReadStatus::kWriteError, f.name + ": " + target.string() + " is a folder");
        } else {
          fs::rename(part, target, ec);
          if (ec) e = Fail(ReadStatus::kWriteError, f.name + ": cannot write " + target.string());
        }
      }
      if (!e.ok()) fs::remove(part, ec);
    }
    if (report) report(f, e);
    if (!e.ok() && first.ok()) first = e;
  }
  return first;
}

}  // namespace kw::zpk
