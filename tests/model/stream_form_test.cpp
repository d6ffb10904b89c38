// Items written to and read back from the setup stream.
#include <gtest/gtest.h>

#include "../testutil.h"
#include "model/items.h"
#include "stream/qvarchive.h"

namespace {

const char kSig[4] = {'Q', 'V', 'J', 'N'};

template <typename T>
std::vector<uint8_t> WriteSetup(const kwtest::TempDir& dir, const T& item) {
  const std::string path = dir.file("s.bin");
  {
    CQVArchive ar;
    ar.Open(path, CQVArchive::store, kSig);
    static_cast<CQVObject&>(const_cast<T&>(item)).Serialize(ar);
  }
  auto bytes = kwtest::ReadFile(path);
  return std::vector<uint8_t>(bytes.begin() + 4, bytes.end());
}

template <typename T>
void ReadSetup(const kwtest::TempDir& dir, T& item) {
  CQVArchive ar;
  ar.Open(dir.file("s.bin"), CQVArchive::load, kSig);
  static_cast<CQVObject&>(item).Serialize(ar);
  EXPECT_EQ(ar.Remaining(), 0u);
}

TEST(SetupForm, FileItemCarriesSize) {
  kwtest::TempDir dir;
  CFileItem f("C:\\a.dll", "%WINSYSDIR%");
  f.m_bHasVersion = 1;
  f.m_dwFileVersionMS = 0x00040001;
  f.m_wLanguage = 0x409;
  f.m_dwFileSize = 123456;
  auto bytes = WriteSetup(dir, f);
  // text with terminator, flags, text, has-version, 9 dwords, 2 words, size
  EXPECT_EQ(bytes.size(), (1 + 8 + 1) + 4 + (1 + 11 + 1) + 1 + 36 + 4 + 4u);
  CFileItem back;
  ReadSetup(dir, back);
  EXPECT_EQ(back.m_strSource, "C:\\a.dll");
  EXPECT_EQ(back.m_strDestination, "%WINSYSDIR%");
  EXPECT_EQ(back.m_dwFileVersionMS, 0x00040001u);
  EXPECT_EQ(back.m_wLanguage, 0x409);
  EXPECT_EQ(back.m_dwFileSize, 123456u);
}

TEST(SetupForm, PackageCarriesItsIdAndClearsDefaultSelection) {
  kwtest::TempDir dir;
  // In memory the flags lack 0x4000 (a converted or a new package): the
  // setup form sets it and writes the id all the same.
  CFileFolder p("Pkg", 0x0090, 7);
  p.AddFile("x.txt");
  auto bytes = WriteSetup(dir, p);
  // has files, "Pkg\0", flags, "\0", file tag, the file, end tag, id
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 4, bytes.end()), (std::vector<uint8_t>{7, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 6, bytes.begin() + 10), (std::vector<uint8_t>{0x90, 0x40, 0, 0}));
  CFileFolder back;
  ReadSetup(dir, back);
  EXPECT_EQ(back.m_dwFlags, 0x4010u);
  EXPECT_EQ(back.m_dwId, 7u);
  EXPECT_EQ(back.FileCount(), 1u);
}

TEST(SetupForm, OptionCarriesDigestNotPassword) {
  kwtest::TempDir dir;
  CCustomSetupOption o("Docs");
  o.SetPassword("PassWord");
  o.SetDescription("d");
  o.ChangeFlags(0, CCustomSetupOption::kHasUniqueId);
  o.m_dwUniqueId = 3;
  o.AddPackageId(1);
  o.AddPackageId(4);
  o.PrepareDigest();
  auto bytes = WriteSetup(dir, o);
  std::string all(bytes.begin(), bytes.end());
  EXPECT_EQ(all.find("password"), std::string::npos);
  EXPECT_EQ(bytes.size(), (1 + 4 + 1) + (1 + 1 + 1) + 4 + 4 + 4 + 4 + 8 + 16u);
  CCustomSetupOption back;
  ReadSetup(dir, back);
  EXPECT_STREQ(back.m_strName, "Docs");
  EXPECT_TRUE(back.m_strPassword.IsEmpty());
  EXPECT_EQ(back.m_digest, o.m_digest);
  EXPECT_EQ(back.m_dwUniqueId, 3u);
  EXPECT_EQ(back.m_packageIds, (std::vector<uint32_t>{1, 4}));
}

TEST(SetupForm, RegistryTreeRoundTrip) {
  kwtest::TempDir dir;
  CRegistryKey root("Root", CRegistryKey::kInvisibleRoot);
  CRegistryKey* hklm = root.AddChildKey("HKEY_LOCAL_MACHINE", 0x80000002);
  CRegistryKey* sw = hklm->AddChildKey("Software");
  auto* num = new CRegistryValue("Count", 4u);
  num->SetNumber(42);
  sw->AppendValue(num);
  const uint8_t blob[] = {9, 8, 7};
  auto* bin = new CRegistryValue("Blob", 3u);
  bin->SetBinary(blob, 3);
  bin->ChangeFlags(0, CRegistryValue::kNoOverwrite);
  sw->AppendValue(bin);
  sw->AddChildKey("Sub");
  root.AddChildKey("HKEY_USERS", 0x80000003);
  WriteSetup(dir, root);

  CRegistryKey back;
  ReadSetup(dir, back);
  EXPECT_EQ(back.m_dwRoot, 0xDEADBABEu);
  ASSERT_NE(back.m_pChild, nullptr);
  const CRegistryKey* bsw = back.m_pChild->m_pChild;
  ASSERT_NE(bsw, nullptr);
  EXPECT_EQ(bsw->m_strName, "Software");
  EXPECT_EQ(bsw->m_pParent, back.m_pChild);
  ASSERT_EQ(bsw->ValueCount(), 3u);
  const CRegistryValue* v = bsw->m_pValues->m_pNext;
  EXPECT_EQ(v->m_dwNumber, 42u);
  EXPECT_EQ(*v->m_pNext->m_binary, std::vector<uint8_t>(blob, blob + 3));
  EXPECT_EQ(v->m_pNext->m_dwFlags, 1u);
  ASSERT_NE(bsw->m_pChild, nullptr);
  EXPECT_EQ(bsw->m_pChild->m_strName, "Sub");
  ASSERT_NE(back.m_pChild->m_pNext, nullptr);
  EXPECT_EQ(back.m_pChild->m_pNext->m_strName, "HKEY_USERS");
}

TEST(SetupForm, GroupTreeWithIcons) {
  kwtest::TempDir dir;
  CProgramGroup root("Start Menu", 2);
  CProgramGroup* def = root.AddChildGroup("Default", 3);
  CProgramIcon* i = def->AddIcon("App", "%INSTALLDIR%\\APP.EXE");
  i->SetParameters("/x");
  i->SetWorkingDir("%INSTALLDIR%");
  i->m_dwReserved = 77;
  WriteSetup(dir, root);
  CProgramGroup back;
  ReadSetup(dir, back);
  ASSERT_NE(back.m_pChild, nullptr);
  ASSERT_EQ(back.m_pChild->IconCount(), 1u);
  const CProgramIcon* bi = back.m_pChild->m_pIcons;
  EXPECT_EQ(bi->m_strParameters, "/x");
  EXPECT_EQ(bi->m_strWorkingDir, "%INSTALLDIR%");
  EXPECT_EQ(bi->m_dwReserved, 77u);
}

TEST(SetupForm, DamagedStreamsThrow) {
  kwtest::TempDir dir;
  // A key tree that opens a child list before any record, one that never
  // ends, and an INI file count far beyond the bytes left.
  const std::vector<std::vector<uint8_t>> cases = {
      {0x01, 0x02, 0x08},
      {0x04, 0x01, 'R', 0x00, 0, 0, 0, 0},
      {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F},
  };
  for (size_t c = 0; c < cases.size(); ++c) {
    std::vector<uint8_t> file = {'Q', 'V', 'J', 'N'};
    file.insert(file.end(), cases[c].begin(), cases[c].end());
    kwtest::WriteFile(dir.file("s.bin"), file);
    CQVArchive ar;
    ar.Open(dir.file("s.bin"), CQVArchive::load, kSig);
    if (c < 2) {
      CRegistryKey k;
      EXPECT_THROW(static_cast<CQVObject&>(k).Serialize(ar), CQVArchive::CXQVArchive) << c;
    } else {
      CIniFiles ini;
      EXPECT_THROW(static_cast<CQVObject&>(ini).Serialize(ar), CQVArchive::CXQVArchive) << c;
    }
  }
}

TEST(SetupForm, TreeNestingIsBounded) {
  kwtest::TempDir dir;
  std::vector<uint8_t> file = {'Q', 'V', 'J', 'N'};
  // Each level: a group record without icons, then 01 opening its children.
  for (int i = 0; i < 600; ++i) file.insert(file.end(), {0x00, 0x01, 'g', 0x00, 0, 0, 0, 0, 0x01});
  kwtest::WriteFile(dir.file("s.bin"), file);
  CQVArchive ar;
  ar.Open(dir.file("s.bin"), CQVArchive::load, kSig);
  CProgramGroup g;
  EXPECT_THROW(static_cast<CQVObject&>(g).Serialize(ar), CQVArchive::CXQVArchive);
}

}  // namespace
