// The project file: a compound file whose root holds the stream "Contents".
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CKitwrightProject;

namespace kw {

// Outcomes, as the ids of the strings that describe them.
enum ProjectFileCode : uint16_t {
  kProjectOk = 0,
  kProjectOpenFailed = 0xF101,   // "Failed to open document."
  kProjectSaveFailed = 0xF102,   // "Failed to save document."
  kProjectBadFormat = 0xF120,    // "Unexpected file format."
  kProjectBadPath = 0xF121,      // the file or its folder is not there
  kProjectDiskFull = 0xF122,
  kProjectReadShared = 0xF123,   // opened by someone else
  kProjectWriteDenied = 0xF124,  // read-only or opened by someone else
  kProjectReadError = 0xF125,
  kProjectWriteError = 0xF126,
};

// English texts of the codes, for tools that run without the UI library;
// "%1" stands for the file name.
const char* ProjectFileMessage(uint16_t code);
// The message with %1 filled in.
std::string FormatProjectFileMessage(uint16_t code, const std::string& path);

// The bytes of "Contents" for a project (sets the saved magic, version and
// always-present flag bits in the project, as saving does).
std::vector<uint8_t> WriteProjectContents(CKitwrightProject& project);
// Reads "Contents" into a project that holds nothing yet. Throws ArchiveError
// on damaged bytes.
void ReadProjectContents(const uint8_t* data, size_t size, CKitwrightProject& into);
// The same, returning a code; `into` is only changed on success.
uint16_t LoadProjectContents(const uint8_t* data, size_t size, CKitwrightProject& into);

// Saves beside the old file, then replaces it; the old file survives any
// failure. On success the project takes the path and is no longer modified.
uint16_t SaveProject(CKitwrightProject& project, const std::string& path);
// The same without the project taking the path or losing its modified flag
// (a copy to send).
uint16_t SaveProjectCopy(CKitwrightProject& project, const std::string& path);
// Loads a file; a failure leaves the project untouched.
uint16_t LoadProject(CKitwrightProject& project, const std::string& path);

// Largest "Contents" stream a reader accepts.
constexpr uint64_t kMaxContentsSize = 256u << 20;

}  // namespace kw
