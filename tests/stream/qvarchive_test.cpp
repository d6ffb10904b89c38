#include <gtest/gtest.h>

#include "../testutil.h"
#include "stream/qvarchive.h"
#include "stream/qvstring.h"

namespace {

const char kSig[4] = {'Q', 'V', 'J', 'N'};

// Records the sizes of the raw writes.
class WatchedArchive : public CQVArchive {
 public:
  std::vector<size_t> pieces;

 protected:
  size_t RawWrite(const void* buf, size_t n) override {
    pieces.push_back(n);
    return CQVArchive::RawWrite(buf, n);
  }
};

TEST(QVArchive, NewFileHoldsOnlyTheSignature) {
  kwtest::TempDir dir;
  std::string p = dir.file("a.inf");
  {
    CQVArchive ar;
    ar.Open(p, CQVArchive::store, kSig);
    EXPECT_TRUE(ar.IsStoring());
    ar.Close();
    EXPECT_FALSE(ar.IsOpen());
  }
  EXPECT_EQ(kwtest::ReadFile(p), kwtest::Bytes({'Q', 'V', 'J', 'N'}));
}

TEST(QVArchive, OpeningFailuresThrow) {
  kwtest::TempDir dir;
  CQVArchive ar;
  EXPECT_THROW(ar.Open(dir.file("missing"), CQVArchive::load, kSig), CQVArchive::CXQVArchive);
  kwtest::WriteFile(dir.file("other"), std::string("QVJX rest"));
  EXPECT_THROW(ar.Open(dir.file("other"), CQVArchive::load, kSig), CQVArchive::CXQVArchive);
  kwtest::WriteFile(dir.file("short"), std::string("QV"));
  EXPECT_THROW(ar.Open(dir.file("short"), CQVArchive::load, kSig), CQVArchive::CXQVArchive);
  EXPECT_THROW(ar.Open(dir.file("nodir") + "/x/y", CQVArchive::store, kSig), CQVArchive::CXQVArchive);
}

TEST(QVArchive, TextAndNumberEncodings) {
  kwtest::TempDir dir;
  std::string p = dir.file("t");
  {
    CQVArchive ar;
    ar.Open(p, CQVArchive::store, kSig);
    ar << CQVString("abc") << CQVString("") << static_cast<uint8_t>(0x11)
       << static_cast<uint16_t>(0x2233) << static_cast<uint32_t>(0x44556677) << static_cast<int32_t>(-2);
  }
  auto b = kwtest::ReadFile(p);
  std::vector<uint8_t> body(b.begin() + 4, b.end());
  EXPECT_EQ(body, kwtest::Bytes({3, 'a', 'b', 'c', 0, 0, 0, 0x11, 0x33, 0x22, 0x77, 0x66, 0x55, 0x44,
                                 0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(QVArchive, StringsRoundTripAcrossPrefixForms) {
  kwtest::TempDir dir;
  std::string p = dir.file("t");
  const std::vector<size_t> lengths = {0, 1, 254, 255, 256, 65535};
  {
    CQVArchive ar;
    ar.Open(p, CQVArchive::store, kSig);
    for (size_t n : lengths) ar << CQVString(std::string(n, 'x'));
  }
  auto b = kwtest::ReadFile(p);
  // 254 keeps the short prefix, 255 takes FF + WORD.
  size_t off254 = 4 + (1 + 1) + (1 + 1 + 1);
  EXPECT_EQ(b[off254], 0xFE);
  size_t off255 = off254 + 1 + 254 + 1;
  EXPECT_EQ(b[off255], 0xFF);
  EXPECT_EQ(b[off255 + 1], 0xFF);
  EXPECT_EQ(b[off255 + 2], 0x00);
  CQVArchive ar;
  ar.Open(p, CQVArchive::load, kSig);
  for (size_t n : lengths) {
    CQVString s("old");
    ar >> s;
    EXPECT_EQ(s.str(), std::string(n, 'x'));
  }
  EXPECT_EQ(ar.Remaining(), 0u);
}

TEST(QVArchive, WriteLargeGoesOutInPiecesOf16384) {
  kwtest::TempDir dir;
  WatchedArchive ar;
  ar.Open(dir.file("big"), CQVArchive::store, kSig);
  ar.pieces.clear();
  std::vector<uint8_t> data(40000, 0x5A);
  EXPECT_EQ(ar.WriteLarge(data.data(), data.size()), 1u);
  EXPECT_EQ(ar.pieces, (std::vector<size_t>{16384, 16384, 7232}));
}

TEST(QVArchive, DamagedStreamsThrowInsteadOfRunningOn) {
  kwtest::TempDir dir;
  struct Case {
    const char* name;
    std::vector<uint8_t> body;
  };
  const Case cases[] = {
      {"length beyond end", kwtest::Bytes({10, 'a', 'b'})},
      {"text without terminator", kwtest::Bytes({2, 'a', 'b'})},
      {"long prefix cut", kwtest::Bytes({0xFF, 0x01})},
      {"huge length in tiny file", kwtest::Bytes({0xFF, 0xFF, 0xFF, 'a', 0})},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> file = {'Q', 'V', 'J', 'N'};
    file.insert(file.end(), c.body.begin(), c.body.end());
    kwtest::WriteFile(dir.file("d"), file);
    CQVArchive ar;
    ar.Open(dir.file("d"), CQVArchive::load, kSig);
    CQVString s;
    EXPECT_THROW(ar >> s, CQVArchive::CXQVArchive) << c.name;
  }
  // A DWORD with three bytes left.
  kwtest::WriteFile(dir.file("d"), kwtest::Bytes({'Q', 'V', 'J', 'N', 1, 2, 3}));
  CQVArchive ar;
  ar.Open(dir.file("d"), CQVArchive::load, kSig);
  uint32_t v;
  EXPECT_THROW(ar >> v, CQVArchive::CXQVArchive);
}

TEST(QVArchive, ReadTextKeepsAtMostLimitBytes) {
  kwtest::TempDir dir;
  kwtest::WriteFile(dir.file("t"), kwtest::Bytes({'Q', 'V', 'J', 'N', 'a', 'b', 'c', 'd', 0, 'z', 0}));
  CQVArchive ar;
  ar.Open(dir.file("t"), CQVArchive::load, kSig);
  char buf[3];
  ar.ReadText(buf, 2);
  EXPECT_STREQ(buf, "ab");
  ar.ReadText(buf, 2);  // the whole text up to its zero was consumed
  EXPECT_STREQ(buf, "z");
}

TEST(QVString, OperationsAndCaseConversion) {
  CQVString a("Hello");
  CQVString empty;
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_STREQ(empty.c_str(), "");
  CQVString b = a + " " + CQVString("World");
  EXPECT_EQ(b, "Hello World");
  b += "!";
  EXPECT_EQ(b.GetLength(), 12u);
  EXPECT_FALSE(b == "hello world!");
  b.MakeLower();
  EXPECT_EQ(b, "hello world!");
  CQVString umlaut("\xC4\xD6\xDC");
  umlaut.MakeLower();
  EXPECT_EQ(umlaut, "\xE4\xF6\xFC");
  umlaut.MakeUpper();
  EXPECT_EQ(umlaut, "\xC4\xD6\xDC");
  a = static_cast<const char*>(nullptr);
  EXPECT_TRUE(a.IsEmpty());
}

}  // namespace
