// Resource reader of PE images.
//
// Layout read here (all little-endian):
//   0x00  "MZ" ... u32 at 0x3C: offset of the "PE\0\0" signature
//   PE    signature (4), file header (20): u16 machine, u16 section count,
//         12 bytes, u16 optional header size, u16 characteristics
//   opt   u16 magic 0x10B (32-bit) / 0x20B (64-bit); u32 count of data
//         directories at 92 / 108, the directories (u32 rva, u32 size) at
//         96 / 112; the third one is the resource directory
//   then  the section table, 40 bytes each: name (8), u32 virtual size,
//         u32 virtual address, u32 raw size, u32 raw offset, ...
// Resource tree (offsets relative to its root): a directory is 16 bytes
// ending in u16 named count, u16 id count, then 8-byte entries (u32 name or
// id, bit 31 = named; u32 target, bit 31 = subdirectory). Three levels: type,
// name, language; the leaves are 16-byte data entries (u32 rva, u32 size,
// u32 code page, u32 reserved).
#include "pe/peimage.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>

namespace kw {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint32_t kMaxEntriesVisited = 1u << 20;
constexpr size_t kMaxLeaves = 1u << 16;

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t size() const override { return size_; }
  bool Read(uint64_t offset, void* dst, size_t n) override {
    if (offset > size_ || n > size_ - offset) return false;
    if (n) std::memcpy(dst, data_ + offset, n);
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

class FileSource : public ByteSource {
 public:
  bool Open(const std::string& path) {
    file_.open(path, std::ios::binary);
    if (!file_) return false;
    file_.seekg(0, std::ios::end);
    std::streamoff end = file_.tellg();
    if (end < 0) return false;
    size_ = static_cast<uint64_t>(end);
    return true;
  }
  uint64_t size() const override { return size_; }
  bool Read(uint64_t offset, void* dst, size_t n) override {
    if (offset > size_ || n > size_ - offset) return false;
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset));
    file_.read(static_cast<char*>(dst), static_cast<std::streamsize>(n));
    return file_.gcount() == static_cast<std::streamsize>(n);
  }

 private:
  std::ifstream file_;
  uint64_t size_ = 0;
};

std::string Num(uint64_t v) { return std::to_string(v); }

}  // namespace

PeImage::PeImage() = default;
PeImage::~PeImage() = default;

bool PeImage::Fail(const std::string& message) {
  error_ = message;
  return false;
}

bool PeImage::Open(const std::string& path) {
  auto file = std::make_unique<FileSource>();
  if (!file->Open(path)) return Fail("cannot open \"" + path + "\"");
  source_ = std::move(file);
  return ParseHeaders();
}

bool PeImage::OpenMemory(const uint8_t* data, size_t size) {
  source_ = std::make_unique<MemorySource>(data, size);
  return ParseHeaders();
}

bool PeImage::ParseHeaders() {
  sections_.clear();
  rsrcRva_ = rsrcSize_ = 0;
  rsrcOffset_ = 0;
  is64_ = false;
  const uint64_t fileSize = source_->size();
  uint8_t dos[64];
  if (!source_->Read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
    return Fail("not an executable image (no MZ header)");
  const uint64_t peOffset = U32(dos + 60);
  uint8_t head[24];
  if (!source_->Read(peOffset, head, sizeof head) || std::memcmp(head, "PE\0\0", 4) != 0)
    return Fail("not a PE image (no PE header)");
  const uint16_t sectionCount = U16(head + 6);
  const uint16_t optSize = U16(head + 20);
  const uint64_t optOffset = peOffset + 24;

  uint8_t opt[2];
  if (optSize < 2 || !source_->Read(optOffset, opt, 2)) return Fail("truncated optional header");
  const uint16_t magic = U16(opt);
  if (magic == 0x20B) {
    is64_ = true;
  } else if (magic != 0x10B) {
    return Fail("unknown optional header magic " + Num(magic));
  }
  const uint32_t countAt = is64_ ? 108 : 92;
  const uint32_t dirsAt = countAt + 4;
  uint32_t resourceRva = 0;
  if (optSize >= dirsAt + 3 * 8) {
    uint8_t buf[4];
    if (!source_->Read(optOffset + countAt, buf, 4)) return Fail("truncated optional header");
    if (U32(buf) >= 3) {
      uint8_t dir[8];
      if (!source_->Read(optOffset + dirsAt + 2 * 8, dir, 8)) return Fail("truncated optional header");
      resourceRva = U32(dir);
    }
  }

  const uint64_t tableOffset = optOffset + optSize;
  if (tableOffset > fileSize || sectionCount > (fileSize - tableOffset) / 40)
    return Fail("section table runs past the end of the file");
  std::vector<uint8_t> table(static_cast<size_t>(sectionCount) * 40);
  if (!table.empty() && !source_->Read(tableOffset, table.data(), table.size()))
    return Fail("cannot read the section table");
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const uint8_t* s = table.data() + i * 40;
    Section sec{U32(s + 12), U32(s + 8), U32(s + 16), U32(s + 20)};
    // Only the bytes backed by the file are readable.
    uint32_t backed = sec.rawSize;
    if (sec.size != 0 && sec.size < backed) backed = sec.size;
    if (sec.rawOffset >= fileSize) backed = 0;
    else if (backed > fileSize - sec.rawOffset) backed = static_cast<uint32_t>(fileSize - sec.rawOffset);
    sec.rawSize = backed;
    sections_.push_back(sec);
  }

  if (resourceRva == 0) return true;
  for (const Section& sec : sections_) {
    if (resourceRva >= sec.va && resourceRva - sec.va < sec.rawSize) {
      rsrcRva_ = resourceRva;
      rsrcOffset_ = static_cast<uint64_t>(sec.rawOffset) + (resourceRva - sec.va);
      rsrcSize_ = sec.rawSize - (resourceRva - sec.va);
      return true;
    }
  }
  return Fail("resource directory lies outside the sections in the file");
}

bool PeImage::ReadRsrc(uint32_t offset, void* dst, uint32_t n) {
  if (offset > rsrcSize_ || n > rsrcSize_ - offset)
    return Fail("resource directory offset " + Num(offset) + " is out of range");
  if (!source_->Read(rsrcOffset_ + offset, dst, n)) return Fail("cannot read the resource section");
  return true;
}

bool PeImage::ReadDirectory(uint32_t offset, uint16_t& named, uint16_t& ids) {
  uint8_t dir[16];
  if (!ReadRsrc(offset, dir, sizeof dir)) return false;
  named = U16(dir + 12);
  ids = U16(dir + 14);
  const uint64_t need = (static_cast<uint64_t>(named) + ids) * 8;
  if (need > rsrcSize_ - offset - 16)
    return Fail("resource directory at " + Num(offset) + " has more entries than fit");
  return true;
}

bool PeImage::FindEntry(uint32_t dir, uint32_t id, bool& found, uint32_t& target) {
  found = false;
  uint16_t named, ids;
  if (!ReadDirectory(dir, named, ids)) return false;
  for (uint32_t i = named; i < static_cast<uint32_t>(named) + ids; ++i) {
    uint8_t e[8];
    if (!ReadRsrc(dir + 16 + i * 8, e, 8)) return false;
    if (U32(e) == id) {
      found = true;
      target = U32(e + 4);
      return true;
    }
  }
  return true;
}

bool PeImage::ChildDirectory(uint32_t target, const std::vector<uint32_t>& path, uint32_t& child) {
  if (!(target & kHighBit)) return Fail("resource entry points at data where a directory belongs");
  child = target & ~kHighBit;
  if (std::find(path.begin(), path.end(), child) != path.end())
    return Fail("resource directory loops back on itself");
  return true;
}

bool PeImage::RvaToOffset(uint32_t rva, uint32_t size, uint64_t& offset) {
  for (const Section& sec : sections_) {
    if (rva >= sec.va && rva - sec.va < sec.rawSize) {
      if (size > sec.rawSize - (rva - sec.va)) break;
      offset = static_cast<uint64_t>(sec.rawOffset) + (rva - sec.va);
      return true;
    }
  }
  if (size == 0) {
    offset = 0;
    return true;
  }
  return Fail("resource data at " + Num(rva) + " (" + Num(size) + " bytes) lies outside the file");
}

bool PeImage::ReadDataEntry(uint32_t target, ResourceLocation& out) {
  if (target & kHighBit) return Fail("resource entry points at a directory where data belongs");
  uint8_t d[16];
  if (!ReadRsrc(target, d, sizeof d)) return false;
  out.rva = U32(d);
  out.size = U32(d + 4);
  out.codePage = U32(d + 8);
  return RvaToOffset(out.rva, out.size, out.fileOffset);
}

bool PeImage::Find(uint16_t type, uint16_t name, uint32_t language, ResourceLocation& out) {
  if (!source_) return Fail("no image open");
  if (rsrcSize_ == 0) return Fail("the image has no resources");
  std::vector<uint32_t> path{0};
  bool found = false;
  uint32_t target = 0, dir = 0;
  if (!FindEntry(0, type, found, target)) return false;
  if (!found) return Fail("no resource of type " + Num(type));
  if (!ChildDirectory(target, path, dir)) return false;
  path.push_back(dir);
  if (!FindEntry(dir, name, found, target)) return false;
  if (!found) return Fail("no resource " + Num(name) + " of type " + Num(type));
  if (!ChildDirectory(target, path, dir)) return false;

  if (language != kAnyLanguage && !FindEntry(dir, language, found, target)) return false;
  // As the system does with no locale of its own: neutral, then US English.
  for (uint32_t fallback : {0u, 0x409u}) {
    if (found && language != kAnyLanguage) break;
    if (!FindEntry(dir, fallback, found, target)) return false;
    if (found) language = fallback;
  }
  if (!found) {
    uint16_t named, ids;
    if (!ReadDirectory(dir, named, ids)) return false;
    if (named + ids == 0) return Fail("resource " + Num(name) + " of type " + Num(type) + " has no language");
    uint8_t e[8];
    if (!ReadRsrc(dir + 16, e, 8)) return false;
    language = U32(e) & 0xFFFF;
    target = U32(e + 4);
  }
  out.language = static_cast<uint16_t>(language);
  return ReadDataEntry(target, out);
}

bool PeImage::ReadResource(const ResourceLocation& where, std::vector<uint8_t>& out) {
  if (where.size > kMaxResourceSize) return Fail("resource of " + Num(where.size) + " bytes is too large");
  out.resize(where.size);
  if (where.size && !source_->Read(where.fileOffset, out.data(), where.size)) {
    out.clear();
    return Fail("cannot read resource data");
  }
  return true;
}

bool PeImage::ReadResource(uint16_t type, uint16_t name, uint32_t language, std::vector<uint8_t>& out) {
  ResourceLocation where;
  return Find(type, name, language, where) && ReadResource(where, out);
}

bool PeImage::ListResources(std::vector<ResourceEntry>& out) {
  out.clear();
  if (!source_) return Fail("no image open");
  if (rsrcSize_ == 0) return true;
  std::set<uint32_t> seen{0};
  uint32_t visited = 0;
  // Walks one directory level; each directory may be reached only once.
  auto entries = [&](uint32_t dir, std::vector<std::pair<uint32_t, uint32_t>>& list) {
    list.clear();
    uint16_t named, ids;
    if (!ReadDirectory(dir, named, ids)) return false;
    const uint32_t total = static_cast<uint32_t>(named) + ids;
    if (total > kMaxEntriesVisited - visited) return Fail("resource directory has too many entries");
    visited += total;
    for (uint32_t i = 0; i < total; ++i) {
      uint8_t e[8];
      if (!ReadRsrc(dir + 16 + i * 8, e, 8)) return false;
      list.emplace_back(U32(e), U32(e + 4));
    }
    return true;
  };
  auto child = [&](uint32_t target, uint32_t& dir) {
    if (!(target & kHighBit)) return Fail("resource entry points at data where a directory belongs");
    dir = target & ~kHighBit;
    if (!seen.insert(dir).second) return Fail("resource directory loops back on itself");
    return true;
  };
  std::vector<std::pair<uint32_t, uint32_t>> types, names, langs;
  if (!entries(0, types)) return false;
  for (const auto& t : types) {
    uint32_t namesDir;
    if (!child(t.second, namesDir) || !entries(namesDir, names)) return false;
    for (const auto& n : names) {
      uint32_t langsDir;
      if (!child(n.second, langsDir) || !entries(langsDir, langs)) return false;
      for (const auto& l : langs) {
        if (out.size() >= kMaxLeaves) return Fail("too many resources");
        ResourceEntry r;
        r.typeNamed = (t.first & kHighBit) != 0;
        r.type = r.typeNamed ? 0 : t.first;
        r.nameNamed = (n.first & kHighBit) != 0;
        r.name = r.nameNamed ? 0 : n.first;
        r.where.language = static_cast<uint16_t>(l.first);
        if (!ReadDataEntry(l.second, r.where)) return false;
        out.push_back(r);
      }
    }
  }
  return true;
}

bool PeImage::GetString(uint32_t id, uint32_t language, std::u16string& wide, std::string& ansi) {
  wide.clear();
  ansi.clear();
  if (id > 0xFFFF) return Fail("string id " + Num(id) + " is out of range");
  std::vector<uint8_t> block;
  if (!ReadResource(kResString, static_cast<uint16_t>(id / 16 + 1), language, block)) return false;
  // A block holds 16 strings, each a u16 count of UTF-16 units and the units.
  size_t pos = 0;
  for (uint32_t i = 0; i <= id % 16; ++i) {
    if (block.size() - pos < 2) return Fail("string block " + Num(id / 16 + 1) + " is truncated");
    const size_t units = U16(block.data() + pos);
    pos += 2;
    if (units > (block.size() - pos) / 2) return Fail("string block " + Num(id / 16 + 1) + " is truncated");
    if (i == id % 16) {
      for (size_t k = 0; k < units; ++k) wide.push_back(static_cast<char16_t>(U16(block.data() + pos + 2 * k)));
    }
    pos += units * 2;
  }
  if (wide.empty()) return Fail("no string " + Num(id));
  ansi = Utf16ToAnsi(wide);
  return true;
}

bool LoadDllString(const std::string& path, uint32_t id, std::string& out, std::string* error) {
  PeImage image;
  std::u16string wide;
  if (image.Open(path) && image.GetString(id, kAnyLanguage, wide, out)) return true;
  if (error) *error = path + ": " + image.error();
  return false;
}

bool LoadDllResource(const std::string& path, uint16_t type, uint16_t name, std::vector<uint8_t>& out,
                     std::string* error) {
  PeImage image;
  if (image.Open(path) && image.ReadResource(type, name, kAnyLanguage, out)) return true;
  if (error) *error = path + ": " + image.error();
  return false;
}

}  // namespace kw
