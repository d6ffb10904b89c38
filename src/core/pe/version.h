// Version information of a file: the fixed block, translations and strings.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kw {

struct VersionStringTable {
  std::string key;       // eight hex digits, language then code page ("040904b0")
  std::vector<std::pair<std::string, std::string>> strings;  // name, value (ANSI)
};

struct FileVersionInfo {
  bool found = false;  // the file has version information with a fixed block
  // The fixed block from the file version on.
  uint32_t fileVersionMS = 0, fileVersionLS = 0;
  uint32_t productVersionMS = 0, productVersionLS = 0;
  uint32_t fileFlagsMask = 0, fileFlags = 0;
  uint32_t fileOS = 0, fileType = 0, fileSubtype = 0;
  // First translation entry; 0 and 1252 when the file has no translation table.
  uint16_t language = 0;
  uint16_t codePage = 1252;
  std::vector<std::pair<uint16_t, uint16_t>> translations;  // language, code page
  std::vector<VersionStringTable> stringTables;

  // A string of the table of the first translation, else of the first table;
  // empty when absent.
  std::string GetString(const std::string& name) const;
};

bool operator==(const FileVersionInfo& a, const FileVersionInfo& b);
inline bool operator!=(const FileVersionInfo& a, const FileVersionInfo& b) { return !(a == b); }

// Version information of a file (on Windows through the system's version
// calls). False when the file has none or cannot be read; error says why.
bool GetFileVersion(const std::string& path, FileVersionInfo& out, std::string* error = nullptr);

// Version information from the file's own resource, read by the portable
// reader in every build.
bool ReadFileVersion(const std::string& path, FileVersionInfo& out, std::string* error = nullptr);

// Parses a version resource block (VS_VERSION_INFO). Strings are converted
// to the ANSI code page.
bool ParseVersionResource(const uint8_t* data, size_t size, FileVersionInfo& out, std::string& error);

}  // namespace kw
