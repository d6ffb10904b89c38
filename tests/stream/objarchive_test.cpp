#include <gtest/gtest.h>

#include "../testutil.h"
#include "stream/objarchive.h"

namespace {

// Two tiny classes to drive the tagging.
class CThing : public CSerialObject {
 public:
  static const RuntimeClass classRuntime;
  uint32_t value = 0;
  const RuntimeClass& GetRuntimeClass() const override { return classRuntime; }
  void Serialize(ObjectArchive& ar) override {
    if (ar.IsStoring()) ar.WriteDword(value); else value = ar.ReadDword();
  }
};
const RuntimeClass CThing::classRuntime = {"CThing", 1, [] { return static_cast<CSerialObject*>(new CThing); }};

class COther : public CSerialObject {
 public:
  static const RuntimeClass classRuntime;
  const RuntimeClass& GetRuntimeClass() const override { return classRuntime; }
  void Serialize(ObjectArchive&) override {}
};
const RuntimeClass COther::classRuntime = {"COther", 1, [] { return static_cast<CSerialObject*>(new COther); }};

std::vector<const RuntimeClass*> Known() { return {&CThing::classRuntime, &COther::classRuntime}; }

TEST(ObjectArchive, NewAndKnownClassTags) {
  ObjectArchive ar;
  CThing a, b;
  a.value = 7;
  b.value = 8;
  COther o;
  ar.WriteObject(a);
  ar.WriteObject(b);
  ar.WriteObject(o);
  auto expected = kwtest::Bytes({0xFF, 0xFF, 1, 0, 6, 0, 'C', 'T', 'h', 'i', 'n', 'g', 7, 0, 0, 0,
                                 0x01, 0x80, 8, 0, 0, 0,
                                 0xFF, 0xFF, 1, 0, 6, 0, 'C', 'O', 't', 'h', 'e', 'r'});
  EXPECT_EQ(ar.Bytes(), expected);

  ObjectArchive in(expected.data(), expected.size(), Known());
  EXPECT_EQ(in.ReadObjectAs<CThing>()->value, 7u);
  EXPECT_EQ(in.ReadObjectAs<CThing>()->value, 8u);
  EXPECT_NE(in.ReadObjectAs<COther>(), nullptr);
  EXPECT_EQ(in.Remaining(), 0u);
}

TEST(ObjectArchive, ClassIndexEscapeAbove7FFE) {
  // 0x8000 objects of one class push the next new class to index 0x8002.
  ObjectArchive ar;
  CThing t;
  for (int i = 0; i < 0x8000; ++i) ar.WriteObject(t);
  COther o;
  ar.WriteObject(o);
  ar.WriteObject(o);
  const auto& b = ar.Bytes();
  ASSERT_GE(b.size(), 6u);
  auto tail = std::vector<uint8_t>(b.end() - 6, b.end());
  EXPECT_EQ(tail, kwtest::Bytes({0xFF, 0x7F, 0x02, 0x80, 0x00, 0x80}));
  ObjectArchive in(b.data(), b.size(), Known());
  for (int i = 0; i < 0x8000; ++i) in.ReadObjectAs<CThing>();
  in.ReadObjectAs<COther>();
  EXPECT_NE(in.ReadObjectAs<COther>(), nullptr);
}

TEST(ObjectArchive, TextPrefixes) {
  ObjectArchive ar;
  ar.WriteString("abc");
  ar.WriteString(std::string(254, 'a'));
  ar.WriteString(std::string(255, 'b'));
  const auto& b = ar.Bytes();
  EXPECT_EQ(b[0], 3);
  EXPECT_EQ(b[4], 0xFE);
  EXPECT_EQ(b[4 + 255], 0xFF);
  EXPECT_EQ(b[4 + 256], 0xFF);
  EXPECT_EQ(b[4 + 257], 0x00);
  ObjectArchive in(b.data(), b.size(), {});
  EXPECT_EQ(in.ReadString(), "abc");
  EXPECT_EQ(in.ReadString(), std::string(254, 'a'));
  EXPECT_EQ(in.ReadString(), std::string(255, 'b'));
  ObjectArchive tooLong;
  EXPECT_THROW(tooLong.WriteString(std::string(65536, 'c')), ArchiveError);
}

TEST(ObjectArchive, MalformedReferencesAreFormatErrors) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    ArchiveError::Cause cause;
  };
  const Case cases[] = {
      {"unknown class", kwtest::Bytes({0xFF, 0xFF, 1, 0, 3, 0, 'C', 'X', 'Y'}), ArchiveError::BadClass},
      {"wrong class", kwtest::Bytes({0xFF, 0xFF, 1, 0, 6, 0, 'C', 'O', 't', 'h', 'e', 'r'}), ArchiveError::BadClass},
      {"null reference", kwtest::Bytes({0, 0}), ArchiveError::BadIndex},
      {"back reference", kwtest::Bytes({1, 0}), ArchiveError::BadIndex},
      {"class index never seen", kwtest::Bytes({0x01, 0x80}), ArchiveError::BadIndex},
      {"escaped index never seen", kwtest::Bytes({0xFF, 0x7F, 5, 0, 0, 0x80}), ArchiveError::BadIndex},
      {"name cut short", kwtest::Bytes({0xFF, 0xFF, 1, 0, 6, 0, 'C', 'T'}), ArchiveError::EndOfFile},
      {"name length absurd", kwtest::Bytes({0xFF, 0xFF, 1, 0, 0xFF, 0xFF, 'C'}), ArchiveError::BadClass},
      {"data missing", kwtest::Bytes({0xFF, 0xFF, 1, 0, 6, 0, 'C', 'T', 'h', 'i', 'n', 'g', 1}), ArchiveError::EndOfFile},
      {"empty", {}, ArchiveError::EndOfFile},
  };
  for (const Case& c : cases) {
    ObjectArchive in(c.bytes.data(), c.bytes.size(), Known());
    try {
      in.ReadObjectAs<CThing>();
      ADD_FAILURE() << c.name << ": no error";
    } catch (const ArchiveError& e) {
      EXPECT_EQ(e.cause(), c.cause) << c.name;
    }
  }
}

TEST(ObjectArchive, IndexOfObjectIsNotAClass) {
  // 0x8002 names the object of index 2, not a class.
  auto b = kwtest::Bytes({0xFF, 0xFF, 1, 0, 6, 0, 'C', 'T', 'h', 'i', 'n', 'g', 1, 0, 0, 0, 0x02, 0x80});
  ObjectArchive in(b.data(), b.size(), Known());
  in.ReadObjectAs<CThing>();
  EXPECT_THROW(in.ReadObjectAs<CThing>(), ArchiveError);
}

TEST(ObjectArchive, CountsAreCheckedAgainstWhatIsLeft) {
  auto b = kwtest::Bytes({1, 2, 3, 4, 5, 6, 7, 8});
  ObjectArchive in(b.data(), b.size(), {});
  EXPECT_NO_THROW(in.RequireCount(2, 4));
  EXPECT_THROW(in.RequireCount(3, 4), ArchiveError);
  EXPECT_THROW(in.RequireCount(0xFFFFFFFFu, 0xFFFFFFFFu), ArchiveError);
}

}  // namespace
