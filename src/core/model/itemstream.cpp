#include "model/itemstream.h"

#include "stream/objarchive.h"
#include "stream/qvarchive.h"
#include "stream/qvstring.h"

bool ObjectItemStream::IsStoring() const { return ar_.IsStoring(); }
void ObjectItemStream::WriteByte(uint8_t v) { ar_.WriteByte(v); }
void ObjectItemStream::WriteWord(uint16_t v) { ar_.WriteWord(v); }
void ObjectItemStream::WriteDword(uint32_t v) { ar_.WriteDword(v); }
void ObjectItemStream::WriteBytes(const void* data, size_t n) { ar_.WriteBytes(data, n); }
void ObjectItemStream::WriteText(const std::string& s) { ar_.WriteString(s); }
uint8_t ObjectItemStream::ReadByte() { return ar_.ReadByte(); }
uint16_t ObjectItemStream::ReadWord() { return ar_.ReadWord(); }
uint32_t ObjectItemStream::ReadDword() { return ar_.ReadDword(); }
void ObjectItemStream::ReadBytes(void* data, size_t n) { ar_.ReadBytes(data, n); }
std::string ObjectItemStream::ReadText() { return ar_.ReadString(); }
void ObjectItemStream::RequireCount(uint64_t count, uint64_t each) { ar_.RequireCount(count, each); }
void ObjectItemStream::Fail() { ar_.Fail(ArchiveError::Generic); }

bool SetupItemStream::IsStoring() const { return ar_.IsStoring(); }
void SetupItemStream::WriteByte(uint8_t v) { ar_ << v; }
void SetupItemStream::WriteWord(uint16_t v) { ar_ << v; }
void SetupItemStream::WriteDword(uint32_t v) { ar_ << v; }
void SetupItemStream::WriteBytes(const void* data, size_t n) {
  if (n) ar_.WriteLarge(data, n);
}
void SetupItemStream::WriteText(const std::string& s) { ar_ << CQVString(s); }
uint8_t SetupItemStream::ReadByte() {
  uint8_t v;
  ar_ >> v;
  return v;
}
uint16_t SetupItemStream::ReadWord() {
  uint16_t v;
  ar_ >> v;
  return v;
}
uint32_t SetupItemStream::ReadDword() {
  uint32_t v;
  ar_ >> v;
  return v;
}
void SetupItemStream::ReadBytes(void* data, size_t n) {
  if (!n) return;
  ar_.Require(n);
  ar_.ReadLarge(data, n);
}
std::string SetupItemStream::ReadText() {
  CQVString s;
  ar_ >> s;
  return s.str();
}
void SetupItemStream::RequireCount(uint64_t count, uint64_t each) {
  // Guard the multiplication: a count times a size must not wrap.
  if (each && count > ar_.Remaining() / each) throw CQVArchive::CXQVArchive();
}
void SetupItemStream::Fail() { throw CQVArchive::CXQVArchive(); }
