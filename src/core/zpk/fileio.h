// ArchiveStream: the buffered binary file stream under the archive library.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace kw::zpk {

// The errno of the last stream call that failed (opening, writing, flushing,
// closing, resizing), process-wide like the library's last error.
int LastStreamError();

class ArchiveStream {
 public:
  enum Origin { kBegin = SEEK_SET, kCurrent = SEEK_CUR, kEnd = SEEK_END };

  ArchiveStream() = default;
  ~ArchiveStream() { Close(); }
  ArchiveStream(const ArchiveStream&) = delete;
  ArchiveStream& operator=(const ArchiveStream&) = delete;

  // mode is "rb", "r+b" or "w+b"; the stream gets an 8192-byte buffer.
  bool Open(const std::string& path, const char* mode);
  bool Close();
  bool IsOpen() const { return f_ != nullptr; }

  size_t Read(void* buf, size_t n);
  // True when all n bytes were written.
  bool Write(const void* buf, size_t n);
  bool Seek(int64_t offset, Origin origin);
  int64_t Tell();
  bool Flush();
  bool AtEnd();
  // Changes the file's size (truncates or extends).
  bool SetSize(int64_t size);
  int64_t Size();

 private:
  FILE* f_ = nullptr;
  bool writing_ = false;  // last operation was a write: a seek must come before a read
};

}  // namespace kw::zpk
