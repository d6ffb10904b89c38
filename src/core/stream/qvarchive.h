// CQVArchive: little-endian byte stream with a four-byte signature, used for
// the setup description file.
#pragma once
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

class CQVString;

class CQVArchive {
 public:
  enum : uint32_t { store = 0x0, load = 0x1 };
  enum : size_t { kLargePiece = 16384 };

  // The stream's exception; a failed system call leaves its errno in it.
  class CXQVArchive : public std::exception {
   public:
    explicit CXQVArchive(int error = 0) : systemError(error) {}
    const char* what() const noexcept override { return "setup stream error"; }
    int systemError;
  };

  CQVArchive() = default;
  virtual ~CQVArchive();
  CQVArchive(const CQVArchive&) = delete;
  CQVArchive& operator=(const CQVArchive&) = delete;

  // Opens for reading (mode bit 0x1; checks the signature) or creates the file
  // and writes the signature. Throws CXQVArchive on failure.
  void Open(const std::string& path, uint32_t mode, const char signature[4]);
  // False when the system reports a failure on closing (written data lost).
  bool Close();
  void Flush();
  bool IsOpen() const { return file_ != nullptr; }

  bool IsLoading() const { return (mode_ & load) != 0; }
  bool IsStoring() const { return !IsLoading(); }

  // One block of n bytes; returns 1. A read that meets the end of the stream
  // and a write that fails throw CXQVArchive.
  size_t Read(void* buf, size_t n);
  size_t Write(const void* buf, size_t n);
  // The same in pieces of at most 16384 bytes.
  size_t ReadLarge(void* buf, size_t n);
  size_t WriteLarge(const void* buf, size_t n);

  // The text's bytes and its terminating zero.
  void WriteText(const char* text);
  // Reads bytes up to and including a zero byte and keeps the first limit + 1
  // of them (buf holds limit + 1 bytes, always terminated).
  void ReadText(char* buf, size_t limit);

  // Bytes not yet read (loading); lets readers check a length before use.
  uint64_t Remaining() const { return size_ > pos_ ? size_ - pos_ : 0; }
  // Throws CXQVArchive unless n more bytes are there to read.
  void Require(uint64_t n) const;

  CQVArchive& operator<<(uint8_t v);
  CQVArchive& operator<<(uint16_t v);
  CQVArchive& operator<<(uint32_t v);
  CQVArchive& operator<<(int32_t v) { return *this << static_cast<uint32_t>(v); }
  CQVArchive& operator>>(uint8_t& v);
  CQVArchive& operator>>(uint16_t& v);
  CQVArchive& operator>>(uint32_t& v);
  CQVArchive& operator>>(int32_t& v);
  CQVArchive& operator<<(const CQVString& s);
  CQVArchive& operator>>(CQVString& s);

 protected:
  // The raw transfers; a test may watch the pieces through them.
  virtual size_t RawWrite(const void* buf, size_t n);
  virtual size_t RawRead(void* buf, size_t n);

 private:
  FILE* file_ = nullptr;
  uint32_t mode_ = 0;
  uint64_t size_ = 0;  // file size when loading
  uint64_t pos_ = 0;
};
