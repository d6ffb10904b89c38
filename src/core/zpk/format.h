// Byte layout of the Zestpack records, shared by the writer and the reader.
//
// Every integer is stored big-endian; every record but the end record ends
// with a CRC-32 computed over a little-endian image of its fields.
//
//   header  "QVCF" u16 tag=36 u16 ver u16 ver u8 3 u16 options u8 2
//           u32 created u32 modified u16 volume u16 reserved u16 n char[n] name
//           u32 checksum                                     (32 + n bytes)
//   entry   "QVCF" u16 tag(!=0) u16 ver u16 ver u8 3 u16 flags u16 method u8 0
//           u32 mtime u32 packed u32 unpacked u32 crc u32 attributes
//           [u32 extra when flags & 4]  short\0 long\0 third\0  u32 checksum
//           followed by `packed` data bytes
//   end     "QVCF" u16 tag=0 u32 distance from the header   (10 bytes)
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kw::zpk {

constexpr uint8_t kSignature[4] = {'Q', 'V', 'C', 'F'};
constexpr uint16_t kHeaderTag = 36;
constexpr uint16_t kEntryTag = 828;
constexpr uint16_t kVersionWord = 0x0130;
constexpr size_t kHeaderFixed = 32;   // header size without its name
constexpr size_t kEntryFixed = 36;    // entry fields before the names
constexpr size_t kEndRecordSize = 10;
constexpr size_t kMaxName = 255;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 4;
constexpr uint16_t kEntrySpansBit = 0x0002;

struct Header {
  uint16_t version1 = kVersionWord, version2 = kVersionWord;
  uint8_t constant3 = 3;
  uint16_t options = 0;
  uint8_t constant2 = 2;
  uint32_t created = 0, modified = 0;
  uint16_t volume = 1;
  uint16_t reserved = 0;
  std::string name;
  uint32_t checksum = 0;
};

struct Entry {
  uint16_t tag = kEntryTag;
  uint16_t version1 = kVersionWord, version2 = kVersionWord;
  uint8_t constant3 = 3;
  uint16_t flags = 0;
  uint16_t method = kMethodDeflate;
  uint8_t constant0 = 0;
  uint32_t mtime = 0, packed = 0, unpacked = 0, crc = 0, attributes = 0, extra = 0;
  std::string shortName, longName, thirdName;
  uint32_t checksum = 0;
};

// Checksums over the little-endian image of the fields.
uint32_t HeaderChecksum(const Header& h);
uint32_t EntryChecksum(const Entry& e);

// Stored bytes of each record, checksum computed on the way.
std::vector<uint8_t> EncodeHeader(const Header& h);
std::vector<uint8_t> EncodeEntry(const Entry& e);
std::vector<uint8_t> EncodeEndRecord(uint32_t distance);
size_t EntrySize(const Entry& e);

enum class ParseResult { kOk, kShort, kBad, kChecksum };

// Parsers over the bytes available at a record's start; `used` receives the
// record's size. kShort: more bytes are needed than `n`; kBad: the bytes are
// not such a record; kChecksum: the record is well formed but its checksum
// does not match.
ParseResult ParseHeader(const uint8_t* p, size_t n, Header& out, size_t& used);
ParseResult ParseEntry(const uint8_t* p, size_t n, Entry& out, size_t& used);
// An end record: tag 0 and its distance.
bool ParseEndRecord(const uint8_t* p, size_t n, uint32_t& distance);
// Tag of the record at p (signature checked); false when not a record.
bool PeekTag(const uint8_t* p, size_t n, uint16_t& tag);

// Most bytes an entry record can take.
constexpr size_t kMaxEntrySize = kEntryFixed + 4 + 3 * (kMaxName + 1) + 4;
constexpr size_t kMaxHeaderSize = kHeaderFixed + 0xFFFF;

}  // namespace kw::zpk
