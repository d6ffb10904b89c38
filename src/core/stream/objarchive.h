// ObjectArchive: the document framework's object archive, held in memory.
//
// Layout of the stream it writes and reads:
//   numbers   little-endian BYTE, WORD, DWORD
//   text      BYTE n (0..254) or BYTE 0xFF + WORD n (255..65535), then n bytes
//   object    WORD 0xFFFF, WORD schema, WORD name length, name  (class not seen yet)
//             WORD 0x8000 + n                                  (class of index n)
//             WORD 0x7FFF, DWORD 0x80000000 + n                 (class index >= 0x7FFF)
//             then the object's own data.
// Indexes count from 1 over class descriptions and objects in stream order.
#pragma once
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

class CSerialObject;
class ObjectArchive;

struct RuntimeClass {
  const char* name;
  uint16_t schema;
  CSerialObject* (*create)();
};

// Base of every object that the archive tags by run-time class.
class CSerialObject {
 public:
  virtual ~CSerialObject() = default;
  virtual const RuntimeClass& GetRuntimeClass() const = 0;
  virtual void Serialize(ObjectArchive& ar) = 0;
};

class ArchiveError : public std::exception {
 public:
  enum Cause { EndOfFile, BadClass, BadIndex, BadSchema, TooLong, Generic };
  explicit ArchiveError(Cause c) : cause_(c) {}
  Cause cause() const { return cause_; }
  const char* what() const noexcept override;

 private:
  Cause cause_;
};

class ObjectArchive {
 public:
  // A storing archive that collects the bytes.
  ObjectArchive();
  // A loading archive over data, knowing the classes it may create.
  ObjectArchive(const uint8_t* data, size_t size, std::vector<const RuntimeClass*> known);

  bool IsStoring() const { return storing_; }
  bool IsLoading() const { return !storing_; }
  const std::vector<uint8_t>& Bytes() const { return out_; }

  void WriteByte(uint8_t v) { out_.push_back(v); }
  void WriteWord(uint16_t v);
  void WriteDword(uint32_t v);
  void WriteBytes(const void* data, size_t n);
  void WriteString(const std::string& s);

  uint8_t ReadByte();
  uint16_t ReadWord();
  uint32_t ReadDword();
  void ReadBytes(void* data, size_t n);
  std::string ReadString();

  size_t Remaining() const { return size_ - pos_; }
  // Throws EndOfFile unless n bytes remain.
  void Require(uint64_t n) const;
  // Throws EndOfFile unless count records of at least each bytes can remain.
  void RequireCount(uint64_t count, uint64_t each) const;
  [[noreturn]] void Fail(ArchiveError::Cause c) const { throw ArchiveError(c); }

  // Writes the object's tag and data.
  void WriteObject(const CSerialObject& obj);
  // Reads a tagged object that must be of class `expected`.
  std::unique_ptr<CSerialObject> ReadObject(const RuntimeClass& expected);

  template <typename T>
  std::unique_ptr<T> ReadObjectAs() {
    std::unique_ptr<CSerialObject> o = ReadObject(T::classRuntime);
    return std::unique_ptr<T>(static_cast<T*>(o.release()));
  }

 private:
  bool storing_;
  std::vector<uint8_t> out_;
  const uint8_t* in_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
  std::vector<const RuntimeClass*> known_;
  // Storing: class descriptions written, with their index.
  std::vector<std::pair<const RuntimeClass*, uint32_t>> storedClasses_;
  // Loading: entry i is the class of index i, or null for an object.
  std::vector<const RuntimeClass*> loadMap_;
  uint32_t nextIndex_ = 1;
};
