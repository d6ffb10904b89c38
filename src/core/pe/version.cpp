// Version resource parsing.
//
// A version resource is a tree of blocks; each block is
//   u16 total length (with its children), u16 value length (bytes for
//   binary values, UTF-16 units for text), u16 type (1 = text),
//   the key in UTF-16 with its NUL, padding to 4, the value, padding to 4,
//   then the children.
// The root "VS_VERSION_INFO" holds the 52-byte fixed block (signature
// 0xFEEF04BD) and the children "StringFileInfo" (tables keyed by language
// and code page, each with its name/value strings) and "VarFileInfo" (the
// "Translation" array of u16 language, u16 code page pairs).
#include "pe/version.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "pe/peimage.h"

namespace kw {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
size_t Align4(size_t v) { return (v + 3) & ~static_cast<size_t>(3); }

struct Block {
  size_t end = 0;
  uint16_t valueLength = 0, type = 0;
  std::u16string key;
  size_t valueStart = 0, valueEnd = 0, children = 0;
};

bool ReadBlock(const uint8_t* d, size_t limit, size_t start, Block& b, std::string& error) {
  if (start > limit || limit - start < 6) return error = "version block is truncated", false;
  const uint16_t length = U16(d + start);
  b.valueLength = U16(d + start + 2);
  b.type = U16(d + start + 4);
  if (length < 6 || length > limit - start) return error = "version block length is out of range", false;
  b.end = start + length;
  b.key.clear();
  size_t pos = start + 6;
  for (;;) {
    if (b.end - pos < 2) return error = "version block key is not terminated", false;
    const char16_t c = static_cast<char16_t>(U16(d + pos));
    pos += 2;
    if (c == 0) break;
    b.key.push_back(c);
  }
  b.valueStart = std::min(Align4(pos), b.end);
  const size_t bytes = b.type == 1 ? static_cast<size_t>(b.valueLength) * 2 : b.valueLength;
  if (bytes > b.end - b.valueStart) {
    if (b.type != 1) return error = "version block value runs past its block", false;
    b.valueEnd = b.end;  // text lengths are not always counted the same way
  } else {
    b.valueEnd = b.valueStart + bytes;
  }
  b.children = std::min(Align4(b.valueEnd), b.end);
  return true;
}

// Calls f(child) for each child block; a zero length ends the list.
template <typename F>
bool ForChildren(const uint8_t* d, const Block& parent, std::string& error, F f) {
  size_t pos = parent.children;
  while (parent.end - pos >= 6) {
    if (U16(d + pos) == 0) break;
    Block child;
    if (!ReadBlock(d, parent.end, pos, child, error) || !f(child)) return false;
    pos = std::min(Align4(child.end), parent.end);
  }
  return true;
}

std::string Narrow(const std::u16string& s) { return Utf16ToAnsi(s); }

std::string TextValue(const uint8_t* d, const Block& b) {
  std::u16string text;
  if (b.valueLength == 0) return std::string();
  for (size_t p = b.valueStart; b.valueEnd - p >= 2; p += 2) {
    const char16_t c = static_cast<char16_t>(U16(d + p));
    if (c == 0) break;
    text.push_back(c);
  }
  return Narrow(text);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

std::string FileVersionInfo::GetString(const std::string& name) const {
  const VersionStringTable* table = nullptr;
  if (!translations.empty()) {
    char key[16];
    std::snprintf(key, sizeof key, "%04x%04x", translations[0].first, translations[0].second);
    for (const auto& t : stringTables)
      if (EqualNoCase(t.key, key)) table = &t;
  }
  if (!table && !stringTables.empty()) table = &stringTables[0];
  if (table)
    for (const auto& s : table->strings)
      if (s.first == name) return s.second;
  return std::string();
}

bool operator==(const FileVersionInfo& a, const FileVersionInfo& b) {
  return a.found == b.found && a.fileVersionMS == b.fileVersionMS && a.fileVersionLS == b.fileVersionLS &&
         a.productVersionMS == b.productVersionMS && a.productVersionLS == b.productVersionLS &&
         a.fileFlagsMask == b.fileFlagsMask && a.fileFlags == b.fileFlags && a.fileOS == b.fileOS &&
         a.fileType == b.fileType && a.fileSubtype == b.fileSubtype && a.language == b.language &&
         a.codePage == b.codePage && a.translations == b.translations && [&] {
           if (a.stringTables.size() != b.stringTables.size()) return false;
           for (size_t i = 0; i < a.stringTables.size(); ++i)
             if (a.stringTables[i].key != b.stringTables[i].key ||
                 a.stringTables[i].strings != b.stringTables[i].strings)
               return false;
           return true;
         }();
}

bool ParseVersionResource(const uint8_t* data, size_t size, FileVersionInfo& out, std::string& error) {
  out = FileVersionInfo();
  Block root;
  if (!ReadBlock(data, size, 0, root, error)) return false;
  if (Narrow(root.key) != "VS_VERSION_INFO") return error = "not a version resource", false;
  if (root.valueEnd - root.valueStart < 52 || U32(data + root.valueStart) != 0xFEEF04BDu)
    return error = "version resource has no fixed block", false;
  const uint8_t* f = data + root.valueStart;
  out.found = true;
  out.fileVersionMS = U32(f + 8);
  out.fileVersionLS = U32(f + 12);
  out.productVersionMS = U32(f + 16);
  out.productVersionLS = U32(f + 20);
  out.fileFlagsMask = U32(f + 24);
  out.fileFlags = U32(f + 28);
  out.fileOS = U32(f + 32);
  out.fileType = U32(f + 36);
  out.fileSubtype = U32(f + 40);

  bool ok = ForChildren(data, root, error, [&](const Block& info) {
    const std::string key = Narrow(info.key);
    if (key == "StringFileInfo") {
      return ForChildren(data, info, error, [&](const Block& table) {
        VersionStringTable t;
        t.key = Narrow(table.key);
        bool tableOk = ForChildren(data, table, error, [&](const Block& s) {
          t.strings.emplace_back(Narrow(s.key), TextValue(data, s));
          return true;
        });
        out.stringTables.push_back(std::move(t));
        return tableOk;
      });
    }
    if (key == "VarFileInfo") {
      return ForChildren(data, info, error, [&](const Block& var) {
        if (Narrow(var.key) != "Translation") return true;
        for (size_t p = var.valueStart; var.valueEnd - p >= 4; p += 4)
          out.translations.emplace_back(U16(data + p), U16(data + p + 2));
        return true;
      });
    }
    return true;
  });
  if (!ok) {
    out = FileVersionInfo();
    return false;
  }
  if (!out.translations.empty()) {
    out.language = out.translations[0].first;
    out.codePage = out.translations[0].second;
  }
  return true;
}

bool ReadFileVersion(const std::string& path, FileVersionInfo& out, std::string* error) {
  PeImage image;
  std::vector<uint8_t> block;
  std::string why;
  if (!image.Open(path) || !image.ReadResource(kResVersion, 1, kAnyLanguage, block)) {
    why = image.error();
  } else if (ParseVersionResource(block.data(), block.size(), out, why)) {
    return true;
  }
  out = FileVersionInfo();
  if (error) *error = path + ": " + why;
  return false;
}

}  // namespace kw
