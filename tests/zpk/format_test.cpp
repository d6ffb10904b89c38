#include <gtest/gtest.h>

#include "zpk/format.h"
#include "zpk/names.h"
#include "zpktest.h"

using namespace kw::zpk;
using zpktest::BE16;
using zpktest::BE32;

namespace {

// The checksum image built by hand: fields little-endian, strings bare.
struct LE {
  std::vector<uint8_t> v;
  LE& s(const std::string& x) { v.insert(v.end(), x.begin(), x.end()); return *this; }
  LE& u8(uint8_t x) { v.push_back(x); return *this; }
  LE& u16(uint16_t x) { return u8(uint8_t(x)).u8(uint8_t(x >> 8)); }
  LE& u32(uint32_t x) { return u16(uint16_t(x)).u16(uint16_t(x >> 16)); }
  uint32_t crc() const { return zpktest::Crc(v); }
};

TEST(Format, HeaderBytesAreBigEndianWithChecksumOverLittleEndianImage) {
  Header h;
  h.options = 1;
  h.created = 0x11223344;
  h.modified = 0x55667788;
  h.volume = 2;
  h.name = "SETUP.2";
  std::vector<uint8_t> b = EncodeHeader(h);
  ASSERT_EQ(b.size(), 32u + 7u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "QVCF");
  EXPECT_EQ(BE16(b, 4), 36);
  EXPECT_EQ(BE16(b, 6), 0x0130);
  EXPECT_EQ(BE16(b, 8), 0x0130);
  EXPECT_EQ(b[10], 3);
  EXPECT_EQ(BE16(b, 11), 1);
  EXPECT_EQ(b[13], 2);
  EXPECT_EQ(BE32(b, 14), 0x11223344u);
  EXPECT_EQ(BE32(b, 18), 0x55667788u);
  EXPECT_EQ(BE16(b, 22), 2);
  EXPECT_EQ(BE16(b, 24), 0);
  EXPECT_EQ(BE16(b, 26), 7);
  EXPECT_EQ(std::string(b.begin() + 28, b.begin() + 35), "SETUP.2");
  LE im;
  im.s("QVCF").u16(36).u16(0x130).u16(0x130).u8(3).u16(1).u8(2).u32(0x11223344).u32(0x55667788)
      .u16(2).u16(0).u16(7).s("SETUP.2");
  EXPECT_EQ(BE32(b, 35), im.crc());
}

TEST(Format, EntryBytesAndChecksum) {
  Entry e;
  e.flags = kEntrySpans | kEntryExtra;
  e.method = 4;
  e.mtime = 0x01020304;
  e.packed = 10;
  e.unpacked = 20;
  e.crc = 0xCAFEBABE;
  e.attributes = 0x21;
  e.extra = 0x99;
  e.shortName = "A.TXT";
  e.longName = "Along.txt";
  std::vector<uint8_t> b = EncodeEntry(e);
  ASSERT_EQ(b.size(), EntrySize(e));
  ASSERT_EQ(b.size(), 40u + 6 + 10 + 1 + 4);
  EXPECT_EQ(BE16(b, 4), 828);
  EXPECT_EQ(BE16(b, 11), 0x0006);
  EXPECT_EQ(BE16(b, 13), 4);
  EXPECT_EQ(b[15], 0);
  EXPECT_EQ(BE32(b, 16), 0x01020304u);
  EXPECT_EQ(BE32(b, 20), 10u);
  EXPECT_EQ(BE32(b, 24), 20u);
  EXPECT_EQ(BE32(b, 28), 0xCAFEBABEu);
  EXPECT_EQ(BE32(b, 32), 0x21u);
  EXPECT_EQ(BE32(b, 36), 0x99u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[40])), "A.TXT");
  LE im;
  im.s("QVCF").u16(828).u16(0x130).u16(0x130).u8(3).u16(6).u16(4).u8(0).u32(0x01020304).u32(10)
      .u32(20).u32(0xCAFEBABE).u32(0x21).u32(0x99).s("A.TXT").s("Along.txt");
  EXPECT_EQ(BE32(b, b.size() - 4), im.crc());

  Entry back;
  size_t used = 0;
  ASSERT_EQ(ParseEntry(b.data(), b.size(), back, used), ParseResult::kOk);
  EXPECT_EQ(used, b.size());
  EXPECT_EQ(back.longName, "Along.txt");
  EXPECT_EQ(back.extra, 0x99u);
}

TEST(Format, ParsersRejectDamage) {
  Entry e;
  e.shortName = e.longName = "X";
  std::vector<uint8_t> b = EncodeEntry(e);
  Entry out;
  size_t used;
  for (size_t cut = 0; cut < b.size(); ++cut)
    EXPECT_EQ(ParseEntry(b.data(), cut, out, used), ParseResult::kShort) << cut;
  for (size_t i = 6; i < b.size(); ++i) {
    std::vector<uint8_t> d = b;
    d[i] ^= 0x40;
    ParseResult r = ParseEntry(d.data(), d.size(), out, used);
    EXPECT_NE(r, ParseResult::kOk) << i;
  }
  // A name without its NUL within 256 bytes is no name.
  std::vector<uint8_t> longName(b.begin(), b.begin() + 36);
  longName.insert(longName.end(), 300, 'a');
  EXPECT_EQ(ParseEntry(longName.data(), longName.size(), out, used), ParseResult::kBad);
  uint32_t d;
  std::vector<uint8_t> end = EncodeEndRecord(0x01020304);
  ASSERT_TRUE(ParseEndRecord(end.data(), end.size(), d));
  EXPECT_EQ(d, 0x01020304u);
  EXPECT_FALSE(ParseEndRecord(end.data(), 9, d));
}

TEST(Names, Matching) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*", "ANY.TXT", true},
      {"*.txt", "README.TXT", true},
      {"*.TXT", "readme.txt", true},
      {"R?ADME.TXT", "README.TXT", true},
      {"README.TX?", "README.TX", false},  // "?" does not match the end
      {"*E*E*", "README", true},
      {"*X", "README", false},
      {"SETUP.INF", "C:\\BUILD\\SETUP.INF", true},    // no backslash: last parts compared
      {"C:\\SRC\\A.EXE", "A.EXE", true},               // the name has none
      {"C:\\SRC\\A.EXE", "C:\\SRC\\A.EXE", true},
      {"C:\\SRC\\A.EXE", "C:\\OTHER\\A.EXE", false},   // both have: whole paths
      {"C:\\SRC\\*", "C:\\SRC\\B\\C.TXT", true},
      {"", "A", false},
      {"*", "", true},
      {"\xe4*", "\xc4LTER", true},                      // cp1252 upper-case folding
  };
  for (const Case& c : cases)
    EXPECT_EQ(NameMatches(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
}

}  // namespace
