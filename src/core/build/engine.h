// The build of a setup, headless: the GUI and the command-line builder give
// it a string source, a loader source and a reporter.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class CKitwrightProject;

namespace kw {

// Message texts by string id (the UI resource library).
class IStringSource {
 public:
  virtual ~IStringSource() = default;
  // False when the library has no such string.
  virtual bool Text(uint16_t id, std::string& out) = 0;
};

// Drops the setup loader of a setup language into a folder.
class ILoaderSource {
 public:
  virtual ~ILoaderSource() = default;
  // Writes folder\SETUP.EXE with loader 1 (16-bit) or 2 (32-bit) and gives
  // the file offset of its disk-map area. False on failure.
  virtual bool DropSetup(uint16_t language, const std::string& folder, uint32_t loader, uint32_t& diskMapOffset) = 0;
};

// What a build tells the one who watches it. Called on the build thread.
class IBuildReporter {
 public:
  virtual ~IBuildReporter() = default;
  virtual void LogLine(const std::string& line) = 0;
  virtual void CurrentFile(const std::string& path) = 0;
  // Percentages of the current file and of the whole build.
  virtual void Progress(unsigned file, unsigned total) = 0;
};

// Message ids.
enum : uint16_t {
  kMsgNoIcons = 0x2000, kMsgNoProductName = 0x2001, kMsgNoCompanyName = 0x2002,
  kMsgFileMissing = 0x2080, kMsgUserBreak = 0x2081, kMsgNotSaved = 0x2082, kMsgNoReadme = 0x2083,
  kMsgNoLicense = 0x2084, kMsgCannotWriteSetup = 0x2085, kMsgNoDestination = 0x2086,
  kMsgNoDialogBitmap = 0x2087, kMsgNoCommonBitmap = 0x2088, kMsgFileTooLarge = 0x2089,
  kMsgTooManyDisks = 0x208A, kMsgNameTooLong = 0x208B, kMsgUnexpected = 0x208C, kMsgSourceChanged = 0x208D,
  kMsgNotRegularFile = 0x208E, kMsgCannotRead = 0x208F, kMsgCannotWrite = 0x2090,
  kMsgStarted = 0x3000, kMsgCompressingFolder = 0x3001, kMsgValidating = 0x3003, kMsgFinished = 0x3004,
  kMsgMoreInfo = 0x3005, kMsgCancelled = 0x3006, kMsgCompressingBillboards = 0x3007,
  kMsgCheckingDependencies = 0x3008, kMsgUpToDate = 0x3009, kMsgLaunching = 0x300a,
  kTextMain = 32,
};

struct BuildParams {
  CKitwrightProject* project = nullptr;
  std::string outputDir;  // the project's output folder
  uint32_t capacity = 0;  // volume limit in bytes
  IStringSource* strings = nullptr;
  ILoaderSource* loader = nullptr;
  IBuildReporter* reporter = nullptr;
  std::atomic<int>* cancel = nullptr;  // non-zero: stop at the next report
};

struct BuildResult {
  unsigned errors = 0;
  unsigned warnings = 0;
  bool succeeded() const { return errors == 0; }
};

// Fills a message: "%1", "%2" by position when the text has them, else %s,
// %u and %d in order. Never passes a library text to printf.
std::string FormatBuildMessage(const std::string& text, const std::vector<std::string>& args);

// The disk-map block: "QVPL", the file count, then runs of (count, volume).
std::vector<uint8_t> EncodeDiskMap(const std::vector<uint8_t>& volumes);

// Most volumes a build may write: the disk map holds a volume number per byte.
constexpr unsigned kMaxVolumes = 255;

// Runs the whole build on the calling thread. Never throws: whatever goes
// wrong ends the build as failed, with a line in the log.
BuildResult RunBuild(const BuildParams& params);
// Runs it on a thread of its own at the highest priority and waits for it.
BuildResult RunBuildOnThread(const BuildParams& params);

}  // namespace kw
