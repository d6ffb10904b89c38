// A whole file mapped read-only into memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace kw {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile() { Close(); }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  // False when the file cannot be opened or mapped. An empty file maps to
  // no bytes and succeeds.
  bool Open(const std::string& path);
  void Close();
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  void* handle_ = nullptr;   // Windows: the mapping object
  void* file_ = nullptr;     // Windows: the file
};

}  // namespace kw
