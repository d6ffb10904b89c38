#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "../testutil.h"
#include "model/project.h"
#include "platform/clock.h"
#include "platform/compound.h"
#include "projfile/dump.h"
#include "projfile/projfile.h"
#include "setupinf/setupdata.h"
#include "stream/objarchive.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct FixedClock {
  explicit FixedClock(uint32_t t) { kw::SetFixedClock(t); }
  ~FixedClock() { kw::SetFixedClock(std::nullopt); }
};

// Little builder for hand-made "Contents" streams.
struct B {
  Bytes b;
  B& u8(uint8_t v) { b.push_back(v); return *this; }
  B& u16(uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
  B& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  B& str(const std::string& s) {
    if (s.size() < 255) u8(static_cast<uint8_t>(s.size()));
    else u8(0xFF).u16(static_cast<uint16_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  B& cls(const std::string& name) {
    u16(0xFFFF).u16(1).u16(static_cast<uint16_t>(name.size()));
    b.insert(b.end(), name.begin(), name.end());
    return *this;
  }
};

// Fields 1 to 31 of an old file, with the given version and flag word.
B OldHeader(uint16_t version, uint32_t flags) {
  B b;
  b.u32(0).u16(0x9762).u16(version).str("Prod").str("2.0").str("Co").u16(1033).u16(2).u32(flags);
  b.str("Title").u32(1).u32(1).u32(0xFF0000).u32(0).u16(6).u16(0x333).u16(0x400).u16(0x11E).u16(386);
  b.u32(0).u16(0).u32(0).str("").u32(1).u32(0).str("dir").str("").str("").str("folder").u32(0x13);
  return b;
}

// An old package record without id: has files, name, flags, description.
void OldPackage(B& b, bool first, const std::string& name, uint32_t flags, const std::string& desc) {
  if (first) b.cls("CFileFolder");
  else b.u16(0x8001);
  b.u8(0).str(name).u32(flags).str(desc);
}

void OldTrees(B& b) {
  b.cls("CRegistryKey").u8(0x00).str("Root").u32(0xDEADBABE).u32(0).u8(0x08);
  b.cls("CProgramGroup").u8(0x04).str("Start Menu").u32(2);
  // An icon in the oldest layout: name and path only.
  b.u8(0x10).str("Old").str("OLD.EXE").u8(0x20).u8(0x08);
}

CKitwrightProject& NewProject(CKitwrightProject& p) {
  p.OnNewDocument(1033);
  return p;
}

TEST(Contents, NewProjectBytes) {
  FixedClock clock(1000);
  CKitwrightProject p;
  Bytes c = kw::WriteProjectContents(NewProject(p));
  const Bytes head = {0, 0, 0, 0, 0x62, 0x97, 0x0B, 0x97, 0x00, 0x03, '1', '.', '0', 0x00, 0x09, 0x04,
                      0x02, 0x00, 0x22, 0x6B, 0x02, 0x00, 0x21};
  ASSERT_GT(c.size(), head.size() + 33);
  EXPECT_EQ(Bytes(c.begin(), c.begin() + head.size()), head);
  EXPECT_EQ(std::string(c.begin() + head.size(), c.begin() + head.size() + 33), "%CompanyName% %ProductName% Setup");
  // Nothing follows the common bitmap: 13 empty bitmaps and one empty text end the stream.
  Bytes tail = {0x0D, 0, 0, 0};
  tail.insert(tail.end(), 14, 0);
  EXPECT_EQ(Bytes(c.end() - tail.size(), c.end()), tail);
}

TEST(Contents, TextLengthPrefixes) {
  CKitwrightProject p;
  NewProject(p);
  p.m_strProductName = std::string(255, 'a');
  p.m_strProductVersion = std::string(254, 'b');
  Bytes c = kw::WriteProjectContents(p);
  EXPECT_EQ(c[8], 0xFF);
  EXPECT_EQ(c[9], 0xFF);
  EXPECT_EQ(c[10], 0x00);
  EXPECT_EQ(c[11 + 255], 0xFE);
  CKitwrightProject back;
  ASSERT_EQ(kw::LoadProjectContents(c.data(), c.size(), back), kw::kProjectOk);
  EXPECT_EQ(back.m_strProductName.GetLength(), 255u);
  EXPECT_EQ(back.m_strProductVersion.GetLength(), 254u);
}

TEST(Contents, ItemLayouts) {
  // A number value with no flags: tag 0x00 (named) or 0x01 (default), name, 4, number.
  CRegistryValue named("N", 4u), def(nullptr, 4u);
  named.SetNumber(5);
  def.SetNumber(6);
  ObjectArchive a;
  named.Serialize(a);
  def.Serialize(a);
  EXPECT_EQ(a.Bytes(), (Bytes{0x00, 1, 'N', 4, 0, 0, 0, 5, 0, 0, 0, 0x01, 4, 0, 0, 0, 6, 0, 0, 0}));

  // An empty package: has files 0, name, flags (with 0x4000), description, id.
  CFileFolder pkg("E", 0x9E, 7);
  ObjectArchive b;
  pkg.Serialize(b);
  EXPECT_EQ(b.Bytes(), (Bytes{0, 1, 'E', 0x9E, 0x40, 0, 0, 0, 7, 0, 0, 0}));

  // An icon opens with the two marker texts.
  CProgramIcon icon("I", "P");
  ObjectArchive c;
  icon.Serialize(c);
  Bytes want = {2, 0x97, 0x61, 1, 'I', 1, 'P', 3, 0x97, 0x61, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(c.Bytes(), want);
}

TEST(Contents, FullRoundTrip) {
  FixedClock clock(77);
  CKitwrightProject p;
  NewProject(p);
  p.m_strProductName = "Demo";
  p.m_strCompanyName = "Brantel";
  p.m_strPassword = "pw";
  p.ChangeFlags(CKitwrightProject::kMinInstallTime | CKitwrightProject::kExtraValue | 0x1000, 0);
  p.m_dwMinInstallTime = 9;
  p.m_dwExtraValue = 0x12345678;
  p.m_strBitmaps[3] = "C:\\b.bmp";
  p.m_strCommonBitmap = "C:\\all.bmp";
  CFileItem* f = p.m_pPackages->AddFile("C:\\app\\app.exe");
  f->m_bHasVersion = 1;
  f->m_dwFileVersionMS = 0x10002;
  f->m_wLanguage = 0x407;
  p.m_pPackages->AddFile("C:\\app\\readme.txt", "%WINDIR%")->ChangeFlags(0, CFileItem::kNoOverwrite);
  auto* extra = new CFileFolder("Extra", 0x9E, p.TakeNextPackageId());
  extra->SetDescription("desc");
  p.m_pPackages->AppendPackage(extra);
  CRegistryKey* sw = p.m_pRegistry->m_pChild->m_pNext->AddChildKey("Software");
  sw->AddChildKey("Brantel")->AppendValue(new CRegistryValue("Path", "%INSTALLDIR%"));
  const uint8_t blob[] = {0, 1, 255};
  auto* bin = new CRegistryValue("Bin", 3u);
  bin->SetBinary(blob, 3);
  sw->AppendValue(bin);
  sw->AppendValue(new CRegistryValue("Empty", 1u));
  CProgramIcon* icon = p.m_pGroups->m_pChild->AddIcon("App", "%INSTALLDIR%\\app.exe");
  icon->SetParameters("-x");
  icon->SetIconIndex(2);
  p.m_pGroups->m_pChild->AddChildGroup("Sub")->AddIcon("Doc", "d");
  p.m_pIniFiles->At(0)->Add("Section")->Add("Key", "Value");
  p.m_pOptions->At(0)->AddPackageId(4);
  p.m_pOptions->At(1)->SetPassword("Secret");

  kwtest::TempDir dir;
  const std::string path = dir.file("demo.kwr");
  ASSERT_EQ(kw::SaveProject(p, path), kw::kProjectOk);
  EXPECT_FALSE(p.IsModified());
  std::vector<std::string> names;
  ASSERT_EQ(kw::ListCompoundRoot(path, names), kw::CompoundError::None);
  EXPECT_EQ(names, std::vector<std::string>{"Contents"});

  CKitwrightProject back;
  back.SetModifiedFlag(true);
  ASSERT_EQ(kw::LoadProject(back, path), kw::kProjectOk);
  EXPECT_EQ(kw::DumpProject(back), kw::DumpProject(p));
  EXPECT_EQ(back.GetPathName(), path);
  EXPECT_FALSE(back.IsModified());
  EXPECT_EQ(kw::WriteProjectContents(back), kw::WriteProjectContents(p));
  EXPECT_FALSE(back.m_pRegistry->m_pChild->m_pNext->m_pChild->m_pValues->m_pNext->m_pNext->m_strData.has_value());
}

TEST(Contents, Version9709IsConverted) {
  B b = OldHeader(0x9709, 0x0B22);
  b.u32(11).u32(12).u32(13).str("").u32(1457664);  // modified, built, fingerprint, check apps, disk size
  b.u16(3);
  OldPackage(b, true, "Main", 0x00FF, "");
  OldPackage(b, false, "Docs", 0x0090, "The docs");
  OldPackage(b, false, "Tools", 0x0010, "");
  OldTrees(b);
  // flags lack 0x4000 and 0x20000: no bitmaps follow.
  CKitwrightProject p;
  ASSERT_EQ(kw::LoadProjectContents(b.b.data(), b.b.size(), p), kw::kProjectOk);
  EXPECT_TRUE(p.m_dwFlags & CKitwrightProject::kDlgUninstall);
  EXPECT_TRUE(p.m_strPassword.IsEmpty());
  std::vector<std::pair<std::string, uint32_t>> pk;
  for (CFileFolder* f = p.m_pPackages; f; f = f->m_pNext) pk.push_back({f->m_strName, f->m_dwId});
  EXPECT_EQ(pk, (std::vector<std::pair<std::string, uint32_t>>{{"Main", 1}, {"Docs", 2}, {"Tools", 3}, {"AutoExpand", 4}}));
  EXPECT_EQ(p.m_dwNextPackageId, 5u);
  EXPECT_TRUE(p.m_pPackages->m_dwFlags & CFileFolder::kProtected);
  ASSERT_EQ(p.m_pIniFiles->Count(), 2u);
  EXPECT_EQ(p.m_pIniFiles->At(0)->m_strName, "WIN.INI");
  ASSERT_EQ(p.m_pOptions->Count(), 2u);
  const CCustomSetupOption* docs = p.m_pOptions->At(0);
  EXPECT_STREQ(docs->m_strName, "Docs");
  EXPECT_STREQ(docs->m_strDescription, "The docs");
  EXPECT_EQ(docs->m_packageIds, std::vector<uint32_t>{2});
  EXPECT_EQ(docs->m_dwFlags, 0x5u);
  EXPECT_EQ(docs->m_dwUniqueId, 1u);
  EXPECT_EQ(p.m_pOptions->At(1)->m_dwFlags, 0x4u);
  EXPECT_EQ(p.m_pOptions->At(1)->m_dwUniqueId, 2u);
  EXPECT_TRUE(p.m_pPackages->m_pNext->m_strDescription.IsEmpty());
  EXPECT_FALSE(p.m_pPackages->m_pNext->m_dwFlags & CFileFolder::kDefaultSelected);
  // The oldest icon layout.
  const CProgramIcon* icon = p.m_pGroups->m_pIcons;
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->m_strName, "Old");
  EXPECT_EQ(icon->m_strPath, "OLD.EXE");
  EXPECT_EQ(icon->m_strParameters, "");
  EXPECT_EQ(icon->m_dwIconIndex, 0u);

  // Built without a save in between, every package keeps its id in the
  // setup description, where the options refer to it.
  kwtest::TempDir dir;
  CSetupData data;
  data.CopyFromProject(p);
  data.WriteFile(dir.file("SETUP.INF"));
  CSetupData back;
  back.ReadFile(dir.file("SETUP.INF"));
  std::vector<uint32_t> ids;
  for (CFileFolder* f = back.m_pPackages; f; f = f->m_pNext) ids.push_back(f->m_dwId);
  EXPECT_EQ(ids, (std::vector<uint32_t>{1, 2, 3, 4}));
  ASSERT_EQ(back.m_pOptions->Count(), 2u);
  EXPECT_EQ(back.m_pOptions->At(0)->m_packageIds, std::vector<uint32_t>{2});
}

TEST(Contents, Version970AKeepsIniFiles) {
  B b = OldHeader(0x970A, 0x2B22);
  b.str("pw").u32(11).u32(12).u32(13).str("").u32(1457664);
  b.u16(2);
  OldPackage(b, true, "Main", 0x00FF, "");
  OldPackage(b, false, "Extras", 0x0010, "");
  OldTrees(b);
  b.cls("CIniFiles").u32(0).u32(1).u32(0).str("APP.INI").u32(1).u32(0).str("S").u32(1).u32(0).str("k").str("v");
  CKitwrightProject p;
  ASSERT_EQ(kw::LoadProjectContents(b.b.data(), b.b.size(), p), kw::kProjectOk);
  EXPECT_STREQ(p.m_strPassword, "pw");
  ASSERT_EQ(p.m_pIniFiles->Count(), 1u);
  EXPECT_EQ(p.m_pIniFiles->At(0)->At(0)->At(0)->m_strValue, "v");
  ASSERT_EQ(p.m_pOptions->Count(), 1u);
  EXPECT_EQ(p.m_pOptions->At(0)->m_packageIds, std::vector<uint32_t>{2});
  // AutoExpand is appended for files before 0x970A only.
  EXPECT_EQ(p.m_pPackages->m_pNext->m_pNext, nullptr);
}

TEST(Contents, SecondMarkerMissing) {
  // Name and path after the first marker, then parameters only.
  CProgramGroup g;
  B b;
  b.u8(0x04).str("G").u32(0).u8(0x10).u8(2).u8(0x97).u8(0x61).str("N").str("P").str("-p").u8(0x20).u8(0x08);
  ObjectArchive ar(b.b.data(), b.b.size(), ProjectClasses());
  g.Serialize(ar);
  ASSERT_NE(g.m_pIcons, nullptr);
  EXPECT_EQ(g.m_pIcons->m_strParameters, "-p");
  EXPECT_EQ(g.m_pIcons->m_strIconPath, "");
  EXPECT_EQ(ar.Remaining(), 0u);
}

TEST(Errors, DamagedContentsAreFormatErrors) {
  CKitwrightProject good;
  NewProject(good);
  good.m_pPackages->AddFile("x");
  Bytes c = kw::WriteProjectContents(good);
  // Every truncation fails cleanly and leaves the open project alone.
  CKitwrightProject open;
  NewProject(open);
  open.m_strProductName = "keep";
  for (size_t n = 0; n < c.size(); ++n) {
    ASSERT_EQ(kw::LoadProjectContents(c.data(), n, open), kw::kProjectBadFormat) << n;
  }
  EXPECT_STREQ(open.m_strProductName, "keep");
  ASSERT_NE(open.m_pPackages, nullptr);

  B header = OldHeader(0x970B, 0x2B22);
  header.str("").u32(1).u32(2).u32(3).str("").u32(1457664).u32(4);
  struct Case { const char* what; Bytes bytes; };
  std::vector<Case> cases;
  {
    B b = header;
    b.u16(1).cls("CRegistryKey").u8(0x08);  // a key where a package belongs
    cases.push_back({"wrong class", b.b});
  }
  {
    B b = header;
    b.u16(1).cls("CFileFolderX").u8(0);
    cases.push_back({"unknown class", b.b});
  }
  {
    B b = header;
    b.u16(0xFFFF);
    b.b.resize(b.b.size() + 20);
    cases.push_back({"65535 packages in a short stream", b.b});
  }
  {
    B b = header;
    b.u16(1).u16(0x8001);  // back reference to a class never written
    cases.push_back({"bad class index", b.b});
  }
  for (const Case& k : cases) {
    CKitwrightProject p;
    EXPECT_EQ(kw::LoadProjectContents(k.bytes.data(), k.bytes.size(), p), kw::kProjectBadFormat) << k.what;
    EXPECT_EQ(p.m_pPackages, nullptr) << k.what;
  }
}

TEST(Errors, FilesThatCannotBeLoaded) {
  kwtest::TempDir dir;
  CKitwrightProject p;
  NewProject(p);
  EXPECT_EQ(kw::LoadProject(p, dir.file("missing.kwr")), kw::kProjectBadPath);
  kwtest::WriteFile(dir.file("plain.kwr"), std::string("not a compound file at all"));
  EXPECT_EQ(kw::LoadProject(p, dir.file("plain.kwr")), kw::kProjectOpenFailed);
  ASSERT_EQ(kw::WriteCompoundStream(dir.file("other.kwr"), "Other", Bytes{1, 2, 3}), kw::CompoundError::None);
  EXPECT_EQ(kw::LoadProject(p, dir.file("other.kwr")), kw::kProjectOpenFailed);
  EXPECT_TRUE(p.GetPathName().empty());
  EXPECT_NE(p.m_pPackages, nullptr);
  EXPECT_EQ(kw::FormatProjectFileMessage(kw::kProjectReadShared, "a.kwr"),
            "Unable to read from a.kwr, it is opened by someone else.");
}

TEST(Errors, FailedSaveKeepsTheOldFile) {
  kwtest::TempDir dir;
  const std::string path = dir.file("p.kwr");
  CKitwrightProject p;
  NewProject(p);
  p.m_strProductName = "first";
  ASSERT_EQ(kw::SaveProject(p, path), kw::kProjectOk);
  const Bytes before = kwtest::ReadFile(path);
  // The file beside it cannot be created: a folder holds its name.
  std::filesystem::create_directory(path + ".kw~");
  p.m_strProductName = "second";
  p.SetModifiedFlag(true);
  EXPECT_NE(kw::SaveProject(p, path), kw::kProjectOk);
  EXPECT_EQ(kwtest::ReadFile(path), before);
  EXPECT_TRUE(p.IsModified());
  // A folder that does not exist.
  EXPECT_EQ(kw::SaveProject(p, dir.file("no/such/dir/p.kwr")), kw::kProjectBadPath);
}

TEST(Save, ACopyLeavesTheProjectsPathAndModifiedFlag) {
  kwtest::TempDir dir;
  CKitwrightProject p;
  NewProject(p);
  ASSERT_EQ(kw::SaveProject(p, dir.file("own.kwr")), kw::kProjectOk);
  p.m_strProductName = "changed";
  p.SetModifiedFlag(true);
  ASSERT_EQ(kw::SaveProjectCopy(p, dir.file("copy.kwr")), kw::kProjectOk);
  EXPECT_EQ(p.GetPathName(), dir.file("own.kwr"));
  EXPECT_TRUE(p.IsModified());
  CKitwrightProject q;
  ASSERT_EQ(kw::LoadProject(q, dir.file("copy.kwr")), kw::kProjectOk);
  EXPECT_EQ(q.m_strProductName, "changed");
  EXPECT_EQ(kw::SaveProjectCopy(p, dir.file("no/such/dir/copy.kwr")), kw::kProjectBadPath);
}

// Files written by the other platform's compound file code (see
// tests/data/projfile/README) hold the same "Contents" as this build writes.
TEST(CrossPlatform, ReadsTheOtherImplementationsFiles) {
  FixedClock clock(1000000000);
  CKitwrightProject p;
  const Bytes want = kw::WriteProjectContents(NewProject(p));
  for (const char* name : {"new-libgsf.kwr", "new-ole32.kwr"}) {
    const std::string path = std::string(KW_TEST_DATA_DIR) + "/projfile/" + name;
    Bytes got;
    ASSERT_EQ(kw::ReadCompoundStream(path, "Contents", got, 1 << 20), kw::CompoundError::None) << name;
    EXPECT_EQ(got, want) << name;
    CKitwrightProject loaded;
    EXPECT_EQ(kw::LoadProject(loaded, path), kw::kProjectOk) << name;
  }
}

}  // namespace
