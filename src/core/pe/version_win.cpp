// Version information through the system's version calls.
#include <windows.h>

#include <cstring>

#include "pe/version.h"

namespace kw {

namespace {

constexpr DWORD kMaxVersionBlock = 16u << 20;

bool Query(std::vector<uint8_t>& block, const std::string& sub, void*& value, UINT& length) {
  value = nullptr;
  length = 0;
  return VerQueryValueA(block.data(), sub.c_str(), &value, &length) && value != nullptr;
}

}  // namespace

bool GetFileVersion(const std::string& path, FileVersionInfo& out, std::string* error) {
  out = FileVersionInfo();
  auto fail = [&](const char* why) {
    out = FileVersionInfo();
    if (error) *error = path + ": " + why;
    return false;
  };
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return fail("the file has no version information");
  if (size > kMaxVersionBlock) return fail("version information is too large");
  std::vector<uint8_t> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return fail("cannot read version information");

  void* value;
  UINT length;
  if (!Query(block, "\\", value, length) || length < sizeof(VS_FIXEDFILEINFO))
    return fail("version resource has no fixed block");
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  out.found = true;
  out.fileVersionMS = fixed.dwFileVersionMS;
  out.fileVersionLS = fixed.dwFileVersionLS;
  out.productVersionMS = fixed.dwProductVersionMS;
  out.productVersionLS = fixed.dwProductVersionLS;
  out.fileFlagsMask = fixed.dwFileFlagsMask;
  out.fileFlags = fixed.dwFileFlags;
  out.fileOS = fixed.dwFileOS;
  out.fileType = fixed.dwFileType;
  out.fileSubtype = fixed.dwFileSubtype;

  if (Query(block, "\\VarFileInfo\\Translation", value, length)) {
    const uint8_t* p = static_cast<const uint8_t*>(value);
    for (UINT i = 0; i + 4 <= length; i += 4)
      out.translations.emplace_back(static_cast<uint16_t>(p[i] | (p[i + 1] << 8)),
                                    static_cast<uint16_t>(p[i + 2] | (p[i + 3] << 8)));
  }
  if (!out.translations.empty()) {
    out.language = out.translations[0].first;
    out.codePage = out.translations[0].second;
  }

  // The system names no table or string; take the names from the block and
  // the values from the system.
  FileVersionInfo names;
  std::string why;
  if (ParseVersionResource(block.data(), block.size(), names, why)) {
    for (const VersionStringTable& t : names.stringTables) {
      VersionStringTable table;
      table.key = t.key;
      for (const auto& s : t.strings) {
        std::string text;
        if (Query(block, "\\StringFileInfo\\" + t.key + "\\" + s.first, value, length))
          text.assign(static_cast<const char*>(value), strnlen(static_cast<const char*>(value), length));
        table.strings.emplace_back(s.first, text);
      }
      out.stringTables.push_back(std::move(table));
    }
  }
  return true;
}

}  // namespace kw
