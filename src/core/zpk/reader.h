// Reader of Zestpack archives and their volumes: list, test and extract.
// Every length read from the archive is checked against the bytes that are
// there; extraction never leaves its target folder.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zpk/format.h"

namespace kw::zpk {

// Random-access bytes of one volume.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual int64_t Size() const = 0;
  virtual size_t ReadAt(int64_t pos, void* buf, size_t n) const = 0;
};
// Null when the file cannot be opened.
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path);
std::unique_ptr<ByteSource> MemorySource(std::vector<uint8_t> bytes);

enum class ReadStatus {
  kOk = 0,
  kCannotOpen,     // the first volume cannot be opened
  kNotArchive,     // no archive in the file
  kDamaged,        // a record or its data is damaged
  kMissingVolume,  // a further volume is not there
  kDataError,      // unpacked bytes differ from their size or CRC
  kWriteError,     // extraction could not write its output
};

struct ReadError {
  ReadStatus status = ReadStatus::kOk;
  std::string message;
  bool ok() const { return status == ReadStatus::kOk; }
};

// One volume as named to the user and its bytes (null source: missing).
struct VolumeSource {
  std::string name;
  std::unique_ptr<ByteSource> source;
};
using VolumeOpener = std::function<VolumeSource(uint16_t volume)>;

struct VolumeEntry {
  Entry entry;
  int64_t recordPos = 0;
  int64_t dataPos = 0;
};

struct Volume {
  uint16_t number = 0;
  std::string name;
  std::unique_ptr<ByteSource> source;
  int64_t start = 0;
  Header header;
  std::vector<VolumeEntry> entries;
};

// A piece of a file's packed data.
struct Piece {
  size_t volume;  // index into volumes()
  int64_t dataPos;
  uint32_t packed;
};

// One file, its pieces joined across volumes.
struct ArchivedFile {
  std::string name;  // the long name, or the short one when that is empty
  Entry entry;       // the first piece's record
  uint32_t crc = 0;  // the last piece's CRC: that of the whole file
  uint64_t packedTotal = 0;
  std::vector<Piece> pieces;
};

// Path of volume n beside the first one: DISK1\SETUP.EXE continues in the
// sibling folders DISKn\SETUP.n; any other archive NAME.EXT in NAME.n.
std::string VolumePathFor(const std::string& firstVolume, uint16_t n);

// The stored name as a relative path (components joined with '/') that
// stays inside the target folder: no root, drive, "..", device name or
// character that Windows refuses.
std::string SafeRelativePath(const std::string& storedName);

class ArchiveReader {
 public:
  using Sink = std::function<bool(const uint8_t*, size_t)>;

  // Opens the first volume (an archive file, or one appended to a program)
  // and every further volume the archive needs.
  ReadError Open(const std::string& path);
  ReadError Open(VolumeSource first, VolumeOpener next);

  const std::vector<Volume>& volumes() const { return volumes_; }
  const std::vector<ArchivedFile>& files() const { return files_; }

  // Unpacks one file into the sink, checking its size and CRC.
  ReadError Unpack(const ArchivedFile& f, const Sink& sink) const;
  // Unpacks every file; the first failure is returned, each one is reported.
  ReadError Test(const std::function<void(const ArchivedFile&, const ReadError&)>& report = {}) const;
  // Writes every file below dir.
  ReadError Extract(const std::string& dir,
                    const std::function<void(const ArchivedFile&, const ReadError&)>& report = {}) const;

 private:
  ReadError LoadVolume(VolumeSource vs, uint16_t expected, bool searchStart);
  enum class Completeness { kComplete, kNeedsMore, kBroken };
  Completeness TrailingFileState(size_t index) const;
  void GroupFiles();

  std::vector<Volume> volumes_;
  std::vector<ArchivedFile> files_;
};

}  // namespace kw::zpk
