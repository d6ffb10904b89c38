#include "pe/peimage.h"

#include <gtest/gtest.h>

#include "../testutil.h"
#include "pe_fixture.h"

using petest::CommittedFixture;

namespace {

std::vector<std::string> Fixtures() {
  std::vector<std::string> list{CommittedFixture()};
#ifdef KW_PE_BUILT_FIXTURE
  list.push_back(kwtest::HostPath(KW_PE_BUILT_FIXTURE));
#endif
  return list;
}

TEST(PeImage, ReadsHeadersOfBothWidths) {
  for (const std::string& path : Fixtures()) {
    kw::PeImage image;
    ASSERT_TRUE(image.Open(path)) << path << ": " << image.error();
    EXPECT_TRUE(image.hasResources());
    if (path == CommittedFixture()) {
      EXPECT_FALSE(image.is64());
    }
  }
#ifdef KW_PE_BUILT_FIXTURE
  kw::PeImage built;
  ASSERT_TRUE(built.Open(kwtest::HostPath(KW_PE_BUILT_FIXTURE)));
  EXPECT_EQ(built.is64(), sizeof(void*) == 8);
#endif
}

TEST(PeImage, ListsEveryResource) {
  struct Want {
    uint32_t type, name;
    uint16_t language;
  };
  const std::vector<Want> want = {{6, 1, 0x407},  {6, 1, 0x409},  {6, 2, 0x409}, {6, 0x401, 0x409},
                                  {10, 3, 0x409}, {16, 1, 0x409}, {258, 1, 0x409}};
  for (const std::string& path : Fixtures()) {
    kw::PeImage image;
    ASSERT_TRUE(image.Open(path));
    std::vector<kw::ResourceEntry> list;
    ASSERT_TRUE(image.ListResources(list)) << image.error();
    ASSERT_EQ(list.size(), want.size()) << path;
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_FALSE(list[i].typeNamed || list[i].nameNamed);
      EXPECT_EQ(list[i].type, want[i].type) << i;
      EXPECT_EQ(list[i].name, want[i].name) << i;
      EXPECT_EQ(list[i].where.language, want[i].language) << i;
    }
  }
}

TEST(PeImage, PicksTheLanguageAskedForElseTheFirst) {
  const struct {
    uint32_t ask;
    uint16_t got;
    const char* text;
  } cases[] = {
      {0x409, 0x409, "First string"},
      {0x407, 0x407, "Erste Zeichenkette"},
      {0x40C, 0x409, "First string"},  // no French, no neutral: US English
      {kw::kAnyLanguage, 0x409, "First string"},
  };
  kw::PeImage image;
  ASSERT_TRUE(image.Open(CommittedFixture()));
  for (const auto& c : cases) {
    kw::ResourceLocation where;
    ASSERT_TRUE(image.Find(kw::kResString, 1, c.ask, where)) << image.error();
    EXPECT_EQ(where.language, c.got) << std::hex << c.ask;
    std::u16string wide;
    std::string ansi;
    ASSERT_TRUE(image.GetString(1, c.ask, wide, ansi));
    EXPECT_EQ(ansi, c.text);
  }
}

TEST(PeImage, WithoutNeutralOrEnglishTakesTheFirstLanguage) {
  auto dll = kwtest::ReadFile(CommittedFixture());
  const size_t root = petest::ResourceRootOffset(dll);
  ASSERT_EQ(petest::Get32(dll, root + 0x70), 0x409u);  // second language of string block 1
  petest::Put32(dll, root + 0x70, 0x40C);
  kw::PeImage image;
  ASSERT_TRUE(image.OpenMemory(dll.data(), dll.size()));
  kw::ResourceLocation where;
  for (uint32_t ask : {0x410u, kw::kAnyLanguage}) {
    ASSERT_TRUE(image.Find(kw::kResString, 1, ask, where)) << image.error();
    EXPECT_EQ(where.language, 0x407);
  }
  ASSERT_TRUE(image.Find(kw::kResString, 1, 0x40C, where));
  EXPECT_EQ(where.language, 0x40C);
}

TEST(PeImage, LoadsStringsInBothForms) {
  for (const std::string& path : Fixtures()) {
    kw::PeImage image;
    ASSERT_TRUE(image.Open(path));
    std::u16string wide;
    std::string ansi;
    ASSERT_TRUE(image.GetString(17, 0x409, wide, ansi)) << image.error();
    EXPECT_EQ(wide, u"Gr\u00fc\u00dfe \u20ac \u2013 done");
    EXPECT_EQ(ansi, "Gr\xfc\xdf" "e \x80 \x96 done");
    ASSERT_TRUE(image.GetString(0x4002, 0x409, wide, ansi));
    EXPECT_EQ(ansi, "KWRCLS.HLP");
    // Empty slot of an existing block, a block that does not exist, an id too large.
    for (uint32_t id : {2u, 16u, 5000u, 0x10000u}) {
      EXPECT_FALSE(image.GetString(id, 0x409, wide, ansi)) << id;
      EXPECT_FALSE(image.error().empty());
      EXPECT_TRUE(ansi.empty());
    }
  }
}

TEST(PeImage, ReadsRawResourcesAndHelpers) {
  const std::string path = CommittedFixture();
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(kw::LoadDllResource(path, 258, 1, bytes, &error)) << error;
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "MZ loader");
  ASSERT_TRUE(kw::LoadDllResource(path, kw::kResRcdata, 3, bytes, &error)) << error;
  EXPECT_EQ(bytes, kwtest::Bytes({'r', 'a', 'w', 0x34, 0x12, 0x78, 0x56}));
  EXPECT_FALSE(kw::LoadDllResource(path, kw::kResRcdata, 4, bytes, &error));
  EXPECT_NE(error.find("no resource 4"), std::string::npos) << error;

  std::string text;
  ASSERT_TRUE(kw::LoadDllString(path, 1, text, &error));
  EXPECT_EQ(text, "First string");
  EXPECT_FALSE(kw::LoadDllString(path + ".missing", 1, text, &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

TEST(PeImage, RejectsWhatIsNoImage) {
  const auto dll = kwtest::ReadFile(CommittedFixture());
  ASSERT_GT(dll.size(), 1024u);
  auto badPe = dll;
  badPe[petest::Get32(dll, 60)] = 'N';
  auto farPe = dll;
  petest::Put32(farPe, 60, 0xFFFFFFF0u);
  auto manySections = dll;
  petest::Put16(manySections, petest::Get32(dll, 60) + 6, 0xFFFF);
  auto badMagic = dll;
  petest::Put16(badMagic, petest::Get32(dll, 60) + 24, 0x107);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* error;
  } cases[] = {
      {"empty", {}, "no MZ header"},
      {"text", kwtest::Bytes({'h', 'e', 'l', 'l', 'o'}), "no MZ header"},
      {"dos header only", std::vector<uint8_t>(dll.begin(), dll.begin() + 64), "no PE header"},
      {"pe signature", badPe, "no PE header"},
      {"pe offset", farPe, "no PE header"},
      {"section count", manySections, "section table"},
      {"magic", badMagic, "magic"},
  };
  for (const auto& c : cases) {
    kw::PeImage image;
    EXPECT_FALSE(image.OpenMemory(c.bytes.data(), c.bytes.size())) << c.what;
    EXPECT_NE(image.error().find(c.error), std::string::npos) << c.what << ": " << image.error();
  }
}

// Damaged resource trees, patched into the committed fixture at offsets
// relative to its resource root (see the listing in ListsEveryResource).
TEST(PeImage, DamagedResourceTreesGiveErrors) {
  const auto dll = kwtest::ReadFile(CommittedFixture());
  const size_t root = petest::ResourceRootOffset(dll);
  ASSERT_NE(root, 0u);
  const struct {
    const char* what;
    uint32_t at;
    uint32_t value;
    const char* error;
  } cases[] = {
      {"root entry count", 12, 0xFFFF0000u, "more entries than fit"},
      {"type entry past the end", 0x14, 0x80FFFFF0u, "out of range"},
      {"type entry to data", 0x14, 0x00000030u, "data where a directory belongs"},
      {"name entry loops to root", 0x44, 0x80000000u, "loops back"},
      {"name entry loops to itself", 0x44, 0x80000030u, "loops back"},
      {"language entry to directory", 0x6C, 0x80000058u, "directory where data belongs"},
      {"data rva outside", 0x138, 0x7FFFFFF0u, "outside the file"},
      {"data size outside", 0x13C, 0x7FFFFFFFu, "outside the file"},
  };
  for (const auto& c : cases) {
    auto bytes = dll;
    petest::Put32(bytes, root + c.at, c.value);
    kw::PeImage image;
    ASSERT_TRUE(image.OpenMemory(bytes.data(), bytes.size())) << c.what;
    std::u16string wide;
    std::string ansi;
    EXPECT_FALSE(image.GetString(1, 0x407, wide, ansi)) << c.what;
    EXPECT_NE(image.error().find(c.error), std::string::npos) << c.what << ": " << image.error();
    std::vector<kw::ResourceEntry> list;
    EXPECT_FALSE(image.ListResources(list)) << c.what;
    EXPECT_FALSE(image.error().empty());
  }
}

TEST(PeImage, TruncatedImagesNeverReadPastTheEnd) {
  const auto dll = kwtest::ReadFile(CommittedFixture());
  const size_t root = petest::ResourceRootOffset(dll);
  for (size_t cut : {size_t{100}, size_t{300}, root, root + 0x20, root + 0x140, root + 0x1A8, dll.size() - 1}) {
    std::vector<uint8_t> bytes(dll.begin(), dll.begin() + cut);
    kw::PeImage image;
    if (!image.OpenMemory(bytes.data(), bytes.size())) {
      EXPECT_FALSE(image.error().empty());
      continue;
    }
    std::vector<kw::ResourceEntry> list;
    std::vector<uint8_t> data;
    const bool listed = image.ListResources(list);
    const bool read = image.ReadResource(258, 1, kw::kAnyLanguage, data);
    if (cut < dll.size() - 1 && cut < root + 0x1A8) {
      EXPECT_FALSE(listed && read) << cut;
    }
    if (!listed || !read) {
      EXPECT_FALSE(image.error().empty()) << cut;
    }
  }
}

TEST(Utf16ToAnsi, MapsTheCodePage) {
  EXPECT_EQ(kw::Utf16ToAnsi(u"A\u00e9\u00ff"), "A\xe9\xff");
  EXPECT_EQ(kw::Utf16ToAnsi(u"\u20ac\u201a\u0178\u2122"), "\x80\x82\x9f\x99");
  // Not in the code page: the C1 controls, other scripts, a surrogate pair, a lone surrogate.
  EXPECT_EQ(kw::Utf16ToAnsi(u"\u0081\u0416\U0001F600x\xd800"), "???x?");
}

}  // namespace
