// Entry names: how a source path becomes a stored name, and pattern matching.
#pragma once
#include <cstdint>
#include <string>

namespace kw::zpk {

// Backslashes for every separator: stored names are Windows paths.
std::string ToStoredSeparators(std::string s);
// The part after the last separator ('\\' or '/').
std::string LastComponent(const std::string& path);
// The file system's short (8.3) form of a path; the path itself where the
// system has none.
std::string ShortPathOf(const std::string& path);
// The long and short names an add stores for a source path: whole paths
// with kArchiveAddFullPath, else their last components, in the stored
// (Windows) form. False when either is longer than a name field holds.
bool StoredNames(const std::string& path, uint32_t addOptions, std::string& longName, std::string& shortName);
// The long name alone (what a setup description names the file by).
std::string StoredLongName(const std::string& path, uint32_t addOptions);

// Case-insensitive match with "?" (one character) and "*" (any run); when
// either side has no backslash, both are cut to their last component first.
bool NameMatches(const std::string& pattern, const std::string& name);

}  // namespace kw::zpk
