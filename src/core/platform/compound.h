// Compound files (OLE structured storage): ole32 on Windows, libgsf natively.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kw {

enum class CompoundError {
  None,
  NotFound,          // the file or folder does not exist
  BadPath,           // the path is not valid
  AccessDenied,      // read-only file or folder, or no permission
  Sharing,           // opened by someone else
  DiskFull,
  NotCompound,       // the file is no compound file
  NoStream,          // the stream is not in the root storage
  TooLarge,          // the stream exceeds the reader's limit
  Io,                // any other failure
};

// Creates (or truncates) a compound file whose root holds one stream.
CompoundError WriteCompoundStream(const std::string& path, const std::string& stream,
                                  const std::vector<uint8_t>& data);

// Reads one stream of the root storage, refusing streams above maxSize.
CompoundError ReadCompoundStream(const std::string& path, const std::string& stream,
                                 std::vector<uint8_t>& out, uint64_t maxSize);

// Names of the elements of the root storage.
CompoundError ListCompoundRoot(const std::string& path, std::vector<std::string>& names);

}  // namespace kw
