// Helpers shared by the archive tests.
#pragma once
#include <zlib.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "../testutil.h"
#include "zpk/format.h"
#include "zpk/zpk.h"

namespace zpktest {

// Callback state reached through the archive's user value.
struct Calls {
  std::function<int(const ProgressRecord&)> progress;
  std::function<std::string(uint16_t)> nextVolume;
  std::vector<uint16_t> volumesAsked;
  std::vector<ProgressRecord> reports;
};

inline int Callback(int kind, void* record, ArchiveUserValue user) {
  Calls* c = reinterpret_cast<Calls*>(user);
  if (kind == kArchiveCallbackProgress) {
    auto* r = static_cast<ProgressRecord*>(record);
    c->reports.push_back(*r);
    return c->progress ? c->progress(*r) : 1;
  }
  auto* req = static_cast<NextVolumeRequest*>(record);
  if (req->name[0] != '\0') return 0;  // the buffer must come empty
  c->volumesAsked.push_back(req->volume);
  if (!c->nextVolume) return 0;
  std::string p = c->nextVolume(req->volume);
  if (p.empty()) return 0;
  std::strncpy(req->name, p.c_str(), sizeof req->name - 1);
  return 1;
}

inline std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 g(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(g());
  return v;
}

// Text-like data that deflates to roughly a third of its size.
inline std::vector<uint8_t> TextBytes(size_t n, uint32_t seed) {
  static const char* const words[] = {"alpha ", "setup ", "volume ", "disk ", "archive ",
                                      "kitwright ", "zest ", "\r\n", "file ", "0123 "};
  std::mt19937 g(seed);
  std::vector<uint8_t> v;
  while (v.size() < n) {
    const char* w = words[g() % 10];
    v.insert(v.end(), w, w + std::strlen(w));
    if (g() % 7 == 0) v.push_back(static_cast<uint8_t>('A' + g() % 26));
  }
  v.resize(n);
  return v;
}

// Random runs between text runs: deflates to somewhat over a third.
inline std::vector<uint8_t> MixedBytes(size_t n, uint32_t seed) {
  std::vector<uint8_t> v;
  for (uint32_t i = 0; v.size() < n; ++i) {
    std::vector<uint8_t> part = (i % 2) ? TextBytes(3000, seed + i) : RandomBytes(1000, seed + i);
    v.insert(v.end(), part.begin(), part.end());
  }
  v.resize(n);
  return v;
}

inline uint32_t Crc(const std::vector<uint8_t>& v, size_t n = SIZE_MAX) {
  if (n > v.size()) n = v.size();
  return static_cast<uint32_t>(crc32(0, v.data(), static_cast<uInt>(n)));
}

inline std::vector<uint8_t> Deflate9(const std::vector<uint8_t>& v) {
  uLongf n = compressBound(static_cast<uLong>(v.size()));
  std::vector<uint8_t> out(n);
  compress2(out.data(), &n, v.data(), static_cast<uLong>(v.size()), 9);
  out.resize(n);
  return out;
}

inline uint16_t BE16(const std::vector<uint8_t>& v, size_t at) {
  return static_cast<uint16_t>(v.at(at) << 8 | v.at(at + 1));
}
inline uint32_t BE32(const std::vector<uint8_t>& v, size_t at) {
  return uint32_t(BE16(v, at)) << 16 | BE16(v, at + 2);
}

// A volume built by hand: header, entries with their data, end record.
struct HandEntry {
  kw::zpk::Entry entry;
  std::vector<uint8_t> data;
};
inline std::vector<uint8_t> BuildVolume(const std::string& name, uint16_t volume,
                                        std::vector<HandEntry> entries,
                                        std::vector<uint8_t> prefix = {}) {
  kw::zpk::Header h;
  h.name = name;
  h.volume = volume;
  h.created = h.modified = 1000;
  std::vector<uint8_t> out = prefix;
  size_t start = out.size();
  auto add = [&](const std::vector<uint8_t>& b) { out.insert(out.end(), b.begin(), b.end()); };
  add(kw::zpk::EncodeHeader(h));
  for (auto& e : entries) {
    e.entry.packed = static_cast<uint32_t>(e.data.size());
    add(kw::zpk::EncodeEntry(e.entry));
    add(e.data);
  }
  add(kw::zpk::EncodeEndRecord(static_cast<uint32_t>(out.size() - start)));
  return out;
}

inline HandEntry StoredEntry(const std::string& name, const std::vector<uint8_t>& data) {
  HandEntry e;
  e.entry.method = kw::zpk::kMethodStored;
  e.entry.shortName = e.entry.longName = name;
  e.entry.unpacked = static_cast<uint32_t>(data.size());
  e.entry.crc = Crc(data);
  e.data = data;
  return e;
}

}  // namespace zpktest
