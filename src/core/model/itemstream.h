// ItemStream: one interface over the two streams an item is written to, so
// that every item has a single routine for each direction.
//   project file  ObjectArchive, texts without terminator
//   setup stream  CQVArchive, texts with a terminating zero
#pragma once
#include <cstdint>
#include <string>

class ObjectArchive;
class CQVArchive;

class ItemStream {
 public:
  virtual ~ItemStream() = default;
  virtual bool IsStoring() const = 0;
  // True for the setup stream, whose item forms differ in a few places.
  virtual bool IsSetupStream() const = 0;

  virtual void WriteByte(uint8_t v) = 0;
  virtual void WriteWord(uint16_t v) = 0;
  virtual void WriteDword(uint32_t v) = 0;
  virtual void WriteBytes(const void* data, size_t n) = 0;
  virtual void WriteText(const std::string& s) = 0;

  virtual uint8_t ReadByte() = 0;
  virtual uint16_t ReadWord() = 0;
  virtual uint32_t ReadDword() = 0;
  virtual void ReadBytes(void* data, size_t n) = 0;
  virtual std::string ReadText() = 0;

  // Throws the stream's error unless count records of at least each bytes
  // can still be there.
  virtual void RequireCount(uint64_t count, uint64_t each) = 0;
  // Throws the stream's format error.
  [[noreturn]] virtual void Fail() = 0;
  // Smallest number of bytes a text takes in this stream.
  uint64_t MinTextSize() const { return IsSetupStream() ? 2 : 1; }
};

class ObjectItemStream : public ItemStream {
 public:
  explicit ObjectItemStream(ObjectArchive& ar) : ar_(ar) {}
  bool IsStoring() const override;
  bool IsSetupStream() const override { return false; }
  void WriteByte(uint8_t v) override;
  void WriteWord(uint16_t v) override;
  void WriteDword(uint32_t v) override;
  void WriteBytes(const void* data, size_t n) override;
  void WriteText(const std::string& s) override;
  uint8_t ReadByte() override;
  uint16_t ReadWord() override;
  uint32_t ReadDword() override;
  void ReadBytes(void* data, size_t n) override;
  std::string ReadText() override;
  void RequireCount(uint64_t count, uint64_t each) override;
  [[noreturn]] void Fail() override;

 private:
  ObjectArchive& ar_;
};

class SetupItemStream : public ItemStream {
 public:
  explicit SetupItemStream(CQVArchive& ar) : ar_(ar) {}
  bool IsStoring() const override;
  bool IsSetupStream() const override { return true; }
  void WriteByte(uint8_t v) override;
  void WriteWord(uint16_t v) override;
  void WriteDword(uint32_t v) override;
  void WriteBytes(const void* data, size_t n) override;
  void WriteText(const std::string& s) override;
  uint8_t ReadByte() override;
  uint16_t ReadWord() override;
  uint32_t ReadDword() override;
  void ReadBytes(void* data, size_t n) override;
  std::string ReadText() override;
  void RequireCount(uint64_t count, uint64_t each) override;
  [[noreturn]] void Fail() override;

 private:
  CQVArchive& ar_;
};
