#include "stream/objarchive.h"

#include <cstring>

namespace {
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000u;
constexpr uint16_t kMaxClassName = 64;
}  // namespace

const char* ArchiveError::what() const noexcept {
  switch (cause_) {
    case EndOfFile: return "attempt to read beyond the end of the file";
    case BadClass: return "unknown or unexpected class";
    case BadIndex: return "invalid object or class index";
    case BadSchema: return "unsupported class schema";
    case TooLong: return "text too long to be stored";
    default: return "object archive error";
  }
}

ObjectArchive::ObjectArchive() : storing_(true) {}

ObjectArchive::ObjectArchive(const uint8_t* data, size_t size, std::vector<const RuntimeClass*> known)
    : storing_(false), in_(data), size_(size), known_(std::move(known)) {
  loadMap_.push_back(nullptr);  // index 0 is the null reference
}

void ObjectArchive::WriteWord(uint16_t v) {
  out_.push_back(static_cast<uint8_t>(v));
  out_.push_back(static_cast<uint8_t>(v >> 8));
}

void ObjectArchive::WriteDword(uint32_t v) {
  for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ObjectArchive::WriteBytes(const void* data, size_t n) {
  auto* p = static_cast<const uint8_t*>(data);
  out_.insert(out_.end(), p, p + n);
}

void ObjectArchive::WriteString(const std::string& s) {
  if (s.size() > 0xFFFF) Fail(ArchiveError::TooLong);
  if (s.size() < 0xFF) {
    WriteByte(static_cast<uint8_t>(s.size()));
  } else {
    WriteByte(0xFF);
    WriteWord(static_cast<uint16_t>(s.size()));
  }
  WriteBytes(s.data(), s.size());
}

void ObjectArchive::Require(uint64_t n) const {
  if (n > Remaining()) Fail(ArchiveError::EndOfFile);
}

void ObjectArchive::RequireCount(uint64_t count, uint64_t each) const {
  if (each != 0 && count > Remaining() / each) Fail(ArchiveError::EndOfFile);
}

uint8_t ObjectArchive::ReadByte() {
  Require(1);
  return in_[pos_++];
}

uint16_t ObjectArchive::ReadWord() {
  Require(2);
  uint16_t v = static_cast<uint16_t>(in_[pos_] | (in_[pos_ + 1] << 8));
  pos_ += 2;
  return v;
}

uint32_t ObjectArchive::ReadDword() {
  Require(4);
  uint32_t v = static_cast<uint32_t>(in_[pos_]) | (static_cast<uint32_t>(in_[pos_ + 1]) << 8) |
               (static_cast<uint32_t>(in_[pos_ + 2]) << 16) | (static_cast<uint32_t>(in_[pos_ + 3]) << 24);
  pos_ += 4;
  return v;
}

void ObjectArchive::ReadBytes(void* data, size_t n) {
  Require(n);
  if (n) std::memcpy(data, in_ + pos_, n);
  pos_ += n;
}

std::string ObjectArchive::ReadString() {
  size_t n = ReadByte();
  if (n == 0xFF) n = ReadWord();
  Require(n);
  std::string s(reinterpret_cast<const char*>(in_ + pos_), n);
  pos_ += n;
  return s;
}

void ObjectArchive::WriteObject(const CSerialObject& obj) {
  const RuntimeClass* rc = &obj.GetRuntimeClass();
  uint32_t classIndex = 0;
  for (const auto& [c, idx] : storedClasses_)
    if (c == rc) classIndex = idx;
  if (classIndex == 0) {
    WriteWord(kNewClassTag);
    WriteWord(rc->schema);
    uint16_t len = static_cast<uint16_t>(std::strlen(rc->name));
    WriteWord(len);
    WriteBytes(rc->name, len);
    storedClasses_.emplace_back(rc, nextIndex_++);
  } else if (classIndex < kBigObjectTag) {
    WriteWord(static_cast<uint16_t>(kClassTag | classIndex));
  } else {
    WriteWord(kBigObjectTag);
    WriteDword(kBigClassTag | classIndex);
  }
  nextIndex_++;  // the object itself
  const_cast<CSerialObject&>(obj).Serialize(*this);
}

std::unique_ptr<CSerialObject> ObjectArchive::ReadObject(const RuntimeClass& expected) {
  uint16_t tag = ReadWord();
  const RuntimeClass* rc = nullptr;
  if (tag == kNewClassTag) {
    ReadWord();  // schema: every class here is versionable, so any schema is read
    uint16_t len = ReadWord();
    if (len == 0 || len > kMaxClassName) Fail(ArchiveError::BadClass);
    Require(len);
    std::string name(reinterpret_cast<const char*>(in_ + pos_), len);
    pos_ += len;
    for (const RuntimeClass* k : known_)
      if (name == k->name) rc = k;
    if (!rc) Fail(ArchiveError::BadClass);
    loadMap_.push_back(rc);
  } else {
    uint32_t ref;
    if (tag == kBigObjectTag) {
      ref = ReadDword();
    } else {
      ref = (static_cast<uint32_t>(tag & kClassTag) << 16) | (tag & ~kClassTag);
    }
    // Every object appears once: a null or back reference cannot be an item.
    if (!(ref & kBigClassTag)) Fail(ArchiveError::BadIndex);
    uint32_t idx = ref & ~kBigClassTag;
    if (idx == 0 || idx >= loadMap_.size() || !loadMap_[idx]) Fail(ArchiveError::BadIndex);
    rc = loadMap_[idx];
  }
  if (rc != &expected) Fail(ArchiveError::BadClass);
  loadMap_.push_back(nullptr);  // the object's index
  std::unique_ptr<CSerialObject> obj(rc->create());
  obj->Serialize(*this);
  return obj;
}
