#include "pe/version.h"

#include <gtest/gtest.h>

#include "../testutil.h"
#include "pe/peimage.h"
#include "pe_fixture.h"

namespace {

void ExpectFixtureVersion(const kw::FileVersionInfo& v) {
  EXPECT_TRUE(v.found);
  EXPECT_EQ(v.fileVersionMS, 0x00010002u);
  EXPECT_EQ(v.fileVersionLS, 0x00030004u);
  EXPECT_EQ(v.productVersionMS, 0x00050006u);
  EXPECT_EQ(v.productVersionLS, 0x00070008u);
  EXPECT_EQ(v.fileFlagsMask, 0x3Fu);
  EXPECT_EQ(v.fileFlags, 2u);
  EXPECT_EQ(v.fileOS, 0x40004u);
  EXPECT_EQ(v.fileType, 2u);
  EXPECT_EQ(v.fileSubtype, 0u);
  EXPECT_EQ(v.language, 0x409);
  EXPECT_EQ(v.codePage, 1252);
  const std::vector<std::pair<uint16_t, uint16_t>> tr = {{0x409, 1252}, {0x407, 1252}};
  EXPECT_EQ(v.translations, tr);
  ASSERT_EQ(v.stringTables.size(), 2u);
  EXPECT_EQ(v.stringTables[0].key, "040904e4");
  EXPECT_EQ(v.stringTables[1].key, "040704e4");
  const std::vector<std::pair<std::string, std::string>> en = {{"CompanyName", "Brantel SoftWare"},
                                                                {"FileVersion", "1.2.3.4"},
                                                                {"ProductName", "Kitwright fixture"},
                                                                {"Comments", "M\xfcnchen"},
                                                                {"PrivateBuild", ""}};
  EXPECT_EQ(v.stringTables[0].strings, en);
  EXPECT_EQ(v.GetString("CompanyName"), "Brantel SoftWare");
  EXPECT_EQ(v.GetString("LegalCopyright"), "");
}

TEST(FileVersion, ReadsTheFixture) {
  kw::FileVersionInfo reader, system;
  std::string error;
  ASSERT_TRUE(kw::ReadFileVersion(petest::CommittedFixture(), reader, &error)) << error;
  ExpectFixtureVersion(reader);
  ASSERT_TRUE(kw::GetFileVersion(petest::CommittedFixture(), system, &error)) << error;
  ExpectFixtureVersion(system);
  EXPECT_TRUE(system == reader);
}

TEST(FileVersion, FilesWithoutVersionInformation) {
  kwtest::TempDir dir;
  kwtest::WriteFile(dir.file("plain.txt"), std::string("not an image at all"));
  // A real image whose version resource is taken away (type id changed).
  auto dll = kwtest::ReadFile(petest::CommittedFixture());
  const size_t root = petest::ResourceRootOffset(dll);
  ASSERT_EQ(petest::Get32(dll, root + 0x20), 16u);
  petest::Put32(dll, root + 0x20, 17);
  kwtest::WriteFile(dir.file("nover.dll"), dll);
  for (const std::string name : {"plain.txt", "nover.dll", "missing.dll"}) {
    kw::FileVersionInfo v;
    v.fileVersionMS = 7;
    std::string error;
    EXPECT_FALSE(kw::GetFileVersion(dir.file(name), v, &error)) << name;
    EXPECT_FALSE(error.empty()) << name;
    EXPECT_TRUE(v == kw::FileVersionInfo()) << name;
    EXPECT_FALSE(kw::ReadFileVersion(dir.file(name), v, &error)) << name;
  }
}

// Builds one version block: header, key, padded value, children.
std::vector<uint8_t> Blk(const std::string& key, uint16_t type, const std::vector<uint8_t>& value,
                         uint16_t valueLength, const std::vector<std::vector<uint8_t>>& children = {}) {
  std::vector<uint8_t> b(6, 0);
  for (char c : key) b.insert(b.end(), {static_cast<uint8_t>(c), 0});
  b.insert(b.end(), {0, 0});
  while (b.size() % 4) b.push_back(0);
  b.insert(b.end(), value.begin(), value.end());
  for (const auto& c : children) {
    while (b.size() % 4) b.push_back(0);
    b.insert(b.end(), c.begin(), c.end());
  }
  petest::Put16(b, 0, static_cast<uint16_t>(b.size()));
  petest::Put16(b, 2, valueLength);
  petest::Put16(b, 4, type);
  return b;
}

std::vector<uint8_t> Fixed(uint32_t signature = 0xFEEF04BDu) {
  std::vector<uint8_t> f(52, 0);
  petest::Put32(f, 0, signature);
  petest::Put32(f, 8, 0x00040003);  // file version 4.3
  petest::Put32(f, 16, 0x00090001);  // product version 9.1
  return f;
}

std::vector<uint8_t> Text(const std::u16string& s) {
  std::vector<uint8_t> v;
  for (char16_t c : s) v.insert(v.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
  v.insert(v.end(), {0, 0});
  return v;
}

TEST(VersionResource, WithoutTranslationTableGivesLanguageZeroAnd1252) {
  const auto str = Blk("ProductName", 1, Text(u"Demo \u20ac"), 7);
  const auto table = Blk("040704b0", 1, {}, 0, {str});
  const auto block = Blk("VS_VERSION_INFO", 0, Fixed(), 52, {Blk("StringFileInfo", 1, {}, 0, {table})});
  kw::FileVersionInfo v;
  std::string error;
  ASSERT_TRUE(kw::ParseVersionResource(block.data(), block.size(), v, error)) << error;
  EXPECT_TRUE(v.found);
  EXPECT_EQ(v.fileVersionMS, 0x00040003u);
  EXPECT_EQ(v.productVersionMS, 0x00090001u);
  EXPECT_EQ(v.language, 0);
  EXPECT_EQ(v.codePage, 1252);
  EXPECT_TRUE(v.translations.empty());
  EXPECT_EQ(v.GetString("ProductName"), "Demo \x80");
}

TEST(VersionResource, DamagedBlocksGiveErrors) {
  const auto good = Blk("VS_VERSION_INFO", 0, Fixed(), 52);
  auto tooLong = good;
  petest::Put16(tooLong, 0, static_cast<uint16_t>(good.size() + 4));
  auto tiny = good;
  petest::Put16(tiny, 0, 4);
  auto valueTooLong = good;
  petest::Put16(valueTooLong, 2, 200);
  std::vector<uint8_t> unterminated = {12, 0, 0, 0, 0, 0, 'V', 0, 'S', 0, '_', 0};
  auto badChild = Blk("VS_VERSION_INFO", 0, Fixed(), 52, {Blk("VarFileInfo", 1, {}, 0)});
  petest::Put16(badChild, 92, 0x4000);  // the child claims more than its parent holds
  auto shortChild = Blk("VS_VERSION_INFO", 0, Fixed(), 52, {Blk("VarFileInfo", 1, {}, 0)});
  petest::Put16(shortChild, 92, 3);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* error;
  } cases[] = {
      {"empty", {}, "truncated"},
      {"length past the end", tooLong, "out of range"},
      {"length below the header", tiny, "out of range"},
      {"value past the block", valueTooLong, "runs past"},
      {"key not terminated", unterminated, "not terminated"},
      {"other key", Blk("VS_VERSION_INFX", 0, Fixed(), 52), "not a version resource"},
      {"no fixed block", Blk("VS_VERSION_INFO", 0, {}, 0), "no fixed block"},
      {"bad signature", Blk("VS_VERSION_INFO", 0, Fixed(0xFEEF04BC), 52), "no fixed block"},
      {"child too long", badChild, "out of range"},
      {"child too short", shortChild, "out of range"},
  };
  ASSERT_EQ(petest::Get32(good, 0) & 0xFFFF, good.size());
  for (const auto& c : cases) {
    kw::FileVersionInfo v;
    std::string error;
    EXPECT_FALSE(kw::ParseVersionResource(c.bytes.data(), c.bytes.size(), v, error)) << c.what;
    EXPECT_FALSE(v.found) << c.what;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
  }
}

}  // namespace
