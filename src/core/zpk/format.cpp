#include "zpk/format.h"

#include <zlib.h>

#include <cstring>

namespace kw::zpk {
namespace {

// Little-endian image for the checksum.
class Image {
 public:
  void Bytes(const void* p, size_t n) {
    crc_ = crc32(crc_, static_cast<const Bytef*>(p), static_cast<uInt>(n));
  }
  void U8(uint8_t v) { Bytes(&v, 1); }
  void U16(uint16_t v) {
    uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    Bytes(b, 2);
  }
  void U32(uint32_t v) {
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    Bytes(b, 4);
  }
  void Str(const std::string& s) { Bytes(s.data(), s.size()); }
  uint32_t value() const { return static_cast<uint32_t>(crc_); }

 private:
  uLong crc_ = crc32(0, Z_NULL, 0);
};

// Stored (big-endian) bytes.
class Out {
 public:
  void Bytes(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    v.insert(v.end(), b, b + n);
  }
  void U8(uint8_t x) { v.push_back(x); }
  void U16(uint16_t x) {
    v.push_back(uint8_t(x >> 8));
    v.push_back(uint8_t(x));
  }
  void U32(uint32_t x) {
    U16(uint16_t(x >> 16));
    U16(uint16_t(x));
  }
  std::vector<uint8_t> v;
};

class In {
 public:
  In(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  bool Has(size_t k) const { return k <= n_ - pos_; }
  uint8_t U8() { return p_[pos_++]; }
  uint16_t U16() {
    uint16_t x = uint16_t(p_[pos_] << 8 | p_[pos_ + 1]);
    pos_ += 2;
    return x;
  }
  uint32_t U32() {
    uint32_t x = uint32_t(p_[pos_]) << 24 | uint32_t(p_[pos_ + 1]) << 16 |
                 uint32_t(p_[pos_ + 2]) << 8 | p_[pos_ + 3];
    pos_ += 4;
    return x;
  }
  // A NUL-terminated string of at most kMaxName characters.
  ParseResult Str(std::string& s) {
    size_t limit = n_ - pos_;
    if (limit > kMaxName + 1) limit = kMaxName + 1;
    const void* z = std::memchr(p_ + pos_, 0, limit);
    if (!z) return limit == kMaxName + 1 ? ParseResult::kBad : ParseResult::kShort;
    size_t len = static_cast<const uint8_t*>(z) - (p_ + pos_);
    s.assign(reinterpret_cast<const char*>(p_ + pos_), len);
    pos_ += len + 1;
    return ParseResult::kOk;
  }
  void Skip(size_t k) { pos_ += k; }
  size_t pos() const { return pos_; }
  const uint8_t* here() const { return p_ + pos_; }

 private:
  const uint8_t* p_;
  size_t n_;
  size_t pos_ = 0;
};

template <class S>
void HeaderFields(S& s, const Header& h) {
  s.Bytes(kSignature, 4);
  s.U16(kHeaderTag);
  s.U16(h.version1);
  s.U16(h.version2);
  s.U8(h.constant3);
  s.U16(h.options);
  s.U8(h.constant2);
  s.U32(h.created);
  s.U32(h.modified);
  s.U16(h.volume);
  s.U16(h.reserved);
  s.U16(static_cast<uint16_t>(h.name.size()));
  s.Str(h.name);
}

template <class S>
void EntryFields(S& s, const Entry& e) {
  s.Bytes(kSignature, 4);
  s.U16(e.tag);
  s.U16(e.version1);
  s.U16(e.version2);
  s.U8(e.constant3);
  s.U16(e.flags);
  s.U16(e.method);
  s.U8(e.constant0);
  s.U32(e.mtime);
  s.U32(e.packed);
  s.U32(e.unpacked);
  s.U32(e.crc);
  s.U32(e.attributes);
  if (e.flags & 0x0004) s.U32(e.extra);
  s.Str(e.shortName);
  s.Str(e.longName);
  s.Str(e.thirdName);
}

struct OutWithNul : Out {
  void Str(const std::string& s) {
    Bytes(s.data(), s.size());
    U8(0);
  }
};
struct OutNoNul : Out {
  void Str(const std::string& s) { Bytes(s.data(), s.size()); }
};

std::string Clip(const std::string& s) { return s.size() > kMaxName ? s.substr(0, kMaxName) : s; }

}  // namespace

uint32_t HeaderChecksum(const Header& h) {
  Image im;
  HeaderFields(im, h);
  return im.value();
}

uint32_t EntryChecksum(const Entry& e) {
  Image im;
  EntryFields(im, e);
  return im.value();
}

std::vector<uint8_t> EncodeHeader(const Header& in) {
  Header h = in;
  if (h.name.size() > 0xFFFF) h.name.resize(0xFFFF);
  OutNoNul o;
  HeaderFields(o, h);
  o.U32(HeaderChecksum(h));
  return std::move(o.v);
}

std::vector<uint8_t> EncodeEntry(const Entry& in) {
  Entry e = in;
  e.shortName = Clip(e.shortName);
  e.longName = Clip(e.longName);
  e.thirdName = Clip(e.thirdName);
  OutWithNul o;
  EntryFields(o, e);
  o.U32(EntryChecksum(e));
  return std::move(o.v);
}

size_t EntrySize(const Entry& e) {
  return kEntryFixed + ((e.flags & 0x0004) ? 4 : 0) + Clip(e.shortName).size() +
         Clip(e.longName).size() + Clip(e.thirdName).size() + 3 + 4;
}

std::vector<uint8_t> EncodeEndRecord(uint32_t distance) {
  Out o;
  o.Bytes(kSignature, 4);
  o.U16(0);
  o.U32(distance);
  return std::move(o.v);
}

bool PeekTag(const uint8_t* p, size_t n, uint16_t& tag) {
  if (n < 6 || std::memcmp(p, kSignature, 4) != 0) return false;
  tag = uint16_t(p[4] << 8 | p[5]);
  return true;
}

ParseResult ParseHeader(const uint8_t* p, size_t n, Header& h, size_t& used) {
  In in(p, n);
  if (!in.Has(28)) return ParseResult::kShort;
  if (std::memcmp(p, kSignature, 4) != 0) return ParseResult::kBad;
  in.Skip(4);
  if (in.U16() != kHeaderTag) return ParseResult::kBad;
  h.version1 = in.U16();
  h.version2 = in.U16();
  h.constant3 = in.U8();
  h.options = in.U16();
  h.constant2 = in.U8();
  h.created = in.U32();
  h.modified = in.U32();
  h.volume = in.U16();
  h.reserved = in.U16();
  uint16_t len = in.U16();
  if (!in.Has(size_t(len) + 4)) return ParseResult::kShort;
  h.name.assign(reinterpret_cast<const char*>(in.here()), len);
  in.Skip(len);
  h.checksum = in.U32();
  used = in.pos();
  return h.checksum == HeaderChecksum(h) ? ParseResult::kOk : ParseResult::kChecksum;
}

ParseResult ParseEntry(const uint8_t* p, size_t n, Entry& e, size_t& used) {
  In in(p, n);
  if (!in.Has(kEntryFixed)) return ParseResult::kShort;
  if (std::memcmp(p, kSignature, 4) != 0) return ParseResult::kBad;
  in.Skip(4);
  e.tag = in.U16();
  if (e.tag == 0) return ParseResult::kBad;
  e.version1 = in.U16();
  e.version2 = in.U16();
  e.constant3 = in.U8();
  e.flags = in.U16();
  e.method = in.U16();
  e.constant0 = in.U8();
  e.mtime = in.U32();
  e.packed = in.U32();
  e.unpacked = in.U32();
  e.crc = in.U32();
  e.attributes = in.U32();
  if (e.flags & 0x0004) {
    if (!in.Has(4)) return ParseResult::kShort;
    e.extra = in.U32();
  } else {
    e.extra = 0;
  }
  for (std::string* s : {&e.shortName, &e.longName, &e.thirdName}) {
    ParseResult r = in.Str(*s);
    if (r != ParseResult::kOk) return r;
  }
  if (!in.Has(4)) return ParseResult::kShort;
  e.checksum = in.U32();
  used = in.pos();
  return e.checksum == EntryChecksum(e) ? ParseResult::kOk : ParseResult::kChecksum;
}

bool ParseEndRecord(const uint8_t* p, size_t n, uint32_t& distance) {
  uint16_t tag;
  if (n < kEndRecordSize || !PeekTag(p, n, tag) || tag != 0) return false;
  distance = uint32_t(p[6]) << 24 | uint32_t(p[7]) << 16 | uint32_t(p[8]) << 8 | p[9];
  return true;
}

}  // namespace kw::zpk
