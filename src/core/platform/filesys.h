// File status and path services used by the core.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace kw {

#ifdef _WIN32
constexpr char kPathSep = '\\';
#else
constexpr char kPathSep = '/';
#endif

// True when c separates path components here ('\\' always, '/' too).
inline bool IsPathSep(char c) { return c == '\\' || c == '/'; }

struct FileStatus {
  uint64_t size = 0;        // may exceed what the formats' 32-bit fields hold
  uint32_t mtime = 0;       // seconds since 1970 UTC
  uint32_t attributes = 0;  // read-only 0x01, hidden 0x02, system 0x04, archive 0x20
};

// Status of a regular file; false when it cannot be read.
bool GetFileStatus(const std::string& path, FileStatus& out);

// True when the path is a regular file that can be opened for reading.
// Never blocks: a FIFO or a device is not opened at all.
bool CanOpenForReading(const std::string& path);

// What stands in the way of reading a source file.
enum class SourceProblem { kNone, kMissing, kNotRegular, kUnreadable };
// Checks a file that is to be read whole: it exists, is a regular file and
// opens for reading (sharing allowed). Fills its status; `reason` gets the
// system's words for kUnreadable.
SourceProblem CheckSourceFile(const std::string& path, FileStatus& st, std::string& reason);

// The system's text for a C runtime error number (errno).
std::string ErrnoText(int error);

// Drive ("C:" or empty), directory (with trailing separator), base name and
// extension (with its dot) of a path, as _splitpath gives them.
struct PathParts {
  std::string drive, dir, fname, ext;
};
PathParts SplitPath(const std::string& path);

// Moves `from` over `to`, replacing it in one step where the system allows.
// Returns 0 or the system's error (errno / GetLastError).
int ReplaceFileWith(const std::string& from, const std::string& to);

// Sets a file's modification time (seconds since 1970 UTC); false on failure.
bool SetFileModificationTime(const std::string& path, uint32_t mtime);

// Creates a file for writing that must not exist yet, never through a link
// planted at its name. Null on failure, with error EEXIST when the name is taken.
FILE* CreateNewFile(const std::string& path, int& error);

// Removes a file; true when it is gone.
bool RemoveFile(const std::string& path);

}  // namespace kw
