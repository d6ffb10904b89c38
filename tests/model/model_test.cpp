#include <gtest/gtest.h>

#include <cstring>

#include "../testutil.h"
#include "model/disksize.h"
#include "model/project.h"
#include "platform/clock.h"
#include "platform/filesys.h"
#include "platform/text.h"

namespace {

struct FixedClock {
  explicit FixedClock(uint32_t t) { kw::SetFixedClock(t); }
  ~FixedClock() { kw::SetFixedClock(std::nullopt); }
};

TEST(NewProject, DefaultsAndTrees) {
  FixedClock clock(1000);
  CKitwrightProject p;
  ASSERT_TRUE(p.OnNewDocument(1031));
  EXPECT_EQ(p.m_wSetupLanguage, 1031);
  EXPECT_EQ(p.m_dwFlags, 0x2B22u);
  EXPECT_STREQ(p.m_strSetupTitle, "%CompanyName% %ProductName% Setup");
  EXPECT_STREQ(p.m_strDefaultDir, "%ProgramFilesDir%\\%ProductName%");
  EXPECT_EQ(p.m_tModified, 1000u);
  EXPECT_EQ(p.m_tBuilt, 1000u);
  EXPECT_EQ(p.m_dwNextPackageId, 4u);
  EXPECT_FALSE(p.IsModified());

  ASSERT_NE(p.m_pPackages, nullptr);
  EXPECT_EQ(p.m_pPackages->m_strName, "Main");
  EXPECT_EQ(p.m_pPackages->m_dwFlags, 0x20FFu);
  ASSERT_NE(p.m_pPackages->m_pNext, nullptr);
  EXPECT_EQ(p.m_pPackages->m_pNext->m_strName, "AutoExpand");
  EXPECT_EQ(p.m_pPackages->m_pNext->m_dwId, 2u);
  EXPECT_EQ(p.m_pPackages->m_pNext->m_pPrev, p.m_pPackages);

  const char* roots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                         "HKEY_CURRENT_CONFIG"};
  const uint32_t handles[] = {0x80000000, 0x80000001, 0x80000002, 0x80000003, 0x80000005};
  EXPECT_EQ(p.m_pRegistry->m_dwRoot, 0xDEADBABEu);
  const CRegistryKey* k = p.m_pRegistry->m_pChild;
  for (int i = 0; i < 5; ++i, k = k->m_pNext) {
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->m_strName, roots[i]);
    EXPECT_EQ(k->m_dwRoot, handles[i]);
    EXPECT_EQ(k->m_pParent, p.m_pRegistry);
    ASSERT_EQ(k->ValueCount(), 1u);
    EXPECT_TRUE(k->m_pValues->IsDefault());
  }
  EXPECT_EQ(k, nullptr);

  EXPECT_EQ(p.m_pGroups->m_strName, "Start Menu");
  EXPECT_EQ(p.m_pGroups->m_dwFlags, 2u);
  ASSERT_NE(p.m_pGroups->m_pChild, nullptr);
  EXPECT_EQ(p.m_pGroups->m_pChild->m_dwFlags, 3u);
  ASSERT_EQ(p.m_pIniFiles->Count(), 2u);
  EXPECT_EQ(p.m_pIniFiles->At(1)->m_strName, "SYSTEM.INI");
  ASSERT_EQ(p.m_pOptions->Count(), 3u);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(p.m_pOptions->At(i)->m_dwUniqueId, i + 1);
    EXPECT_EQ(p.m_pOptions->At(i)->m_dwFlags, 0x5u);
  }
  EXPECT_STREQ(p.m_pOptions->At(2)->m_strName, "Sample Files");
}

TEST(Packages, RemoveAndAppend) {
  CKitwrightProject p;
  p.OnNewDocument();
  CFileFolder* main = p.m_pPackages;
  EXPECT_FALSE(main->RemovePackage(main));
  EXPECT_FALSE(main->RemovePackage(nullptr));
  EXPECT_EQ(p.m_pPackages, main);
  auto* extra = new CFileFolder("New Package", 0x9E, p.TakeNextPackageId());
  EXPECT_EQ(extra->m_dwId, 4u);
  EXPECT_TRUE(p.IsModified());
  main->m_pNext->AppendPackage(extra);
  EXPECT_EQ(main->m_pNext->m_pNext, extra);
  CFileFolder stranger("x", 0, 9);
  EXPECT_FALSE(main->RemovePackage(&stranger));
  EXPECT_TRUE(main->RemovePackage(extra));
  EXPECT_EQ(main->m_pNext->m_pNext, nullptr);
}

TEST(Packages, FilesAndDeepCopy) {
  CFileFolder pkg("P", 0, 5);
  CFileItem* a = pkg.AddFile("C:\\src\\a.exe");
  CFileItem* b = pkg.AddFile("b.txt", "%WINDIR%");
  EXPECT_EQ(a->m_strDestination, "%INSTALLDIR%");
  EXPECT_EQ(a->m_dwFlags, 1u);
  EXPECT_EQ(b->m_strDestination, "%WINDIR%");
  EXPECT_EQ(a->FileName(), "a.exe");
  EXPECT_EQ(b->FileName(), "b.txt");
  char buf[4];
  EXPECT_TRUE(a->GetFileName(buf, sizeof buf));
  EXPECT_STREQ(buf, "a.e");
  EXPECT_FALSE(a->GetFileName(buf, 0));
  EXPECT_FALSE(a->SetSourcePath(nullptr));

  EXPECT_TRUE(pkg.SwapWithNext(a));
  EXPECT_EQ(pkg.m_pFiles, b);
  EXPECT_EQ(b->m_pNext, a);
  EXPECT_EQ(a->m_pPrev, b);
  EXPECT_FALSE(pkg.SwapWithNext(a));

  CFileFolder copy;
  copy.CopyFrom(pkg);
  ASSERT_EQ(copy.FileCount(), 2u);
  EXPECT_NE(copy.m_pFiles, pkg.m_pFiles);
  EXPECT_EQ(copy.m_pFiles->m_strSource, "b.txt");
  EXPECT_EQ(copy.m_dwId, 5u);
  EXPECT_EQ(copy.m_pNext, nullptr);

  CFileItem other;
  EXPECT_FALSE(pkg.RemoveFile(&other));
  EXPECT_TRUE(pkg.RemoveFile(b));
  EXPECT_EQ(pkg.m_pFiles, a);
  EXPECT_EQ(a->m_pPrev, nullptr);
}

TEST(Packages, ManyFilesAppendInOrderWithTheirLinks) {
  CFileFolder pkg("P", 0, 5);
  EXPECT_TRUE(pkg.AddFiles({}).empty());
  std::vector<CFileItem*> first = pkg.AddFiles({{"a", "%INSTALLDIR%"}, {"b", "%WINDIR%"}});
  CFileItem* c = pkg.AddFile("c");
  std::vector<CFileItem*> more = pkg.AddFiles({{"d", "%INSTALLDIR%\\x"}, {"e", ""}});
  ASSERT_EQ(first.size(), 2u);
  ASSERT_EQ(more.size(), 2u);
  std::vector<std::string> forward, backward;
  CFileItem* last = nullptr;
  for (CFileItem* f = pkg.m_pFiles; f; f = f->m_pNext) {
    EXPECT_EQ(f->m_pPrev, last);
    forward.push_back(f->m_strSource);
    last = f;
  }
  for (CFileItem* f = last; f; f = f->m_pPrev)
    backward.insert(backward.begin(), f->m_strSource);
  EXPECT_EQ(forward, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(backward, forward);
  EXPECT_EQ(more[0]->m_strDestination, "%INSTALLDIR%\\x");
  EXPECT_EQ(more[1]->m_strDestination, pkg.AddFile("f")->m_strDestination);
  EXPECT_TRUE(pkg.RemoveFile(c));
  EXPECT_EQ(first[1]->m_pNext, more[0]);
  EXPECT_EQ(more[0]->m_pPrev, first[1]);
}

TEST(Registry, ValueKindsAndType) {
  CRegistryValue v("Name", "text");
  EXPECT_EQ(v.m_dwType, 1u);
  v.SetNumber(7);
  EXPECT_FALSE(v.m_strData.has_value());
  EXPECT_EQ(v.m_dwNumber, 7u);
  const uint8_t bytes[] = {1, 2, 3};
  v.SetBinary(bytes, 3);
  EXPECT_EQ(v.m_dwNumber, 0u);
  ASSERT_TRUE(v.m_binary.has_value());
  EXPECT_EQ(v.m_binary->size(), 3u);
  ASSERT_TRUE(v.SetType(3));
  EXPECT_FALSE(v.SetType(2));
  EXPECT_EQ(v.m_dwType, 3u);
  EXPECT_EQ(v.m_binary->size(), 3u);
  v.SetString("s");
  EXPECT_FALSE(v.m_binary.has_value());

  CRegistryValue typed("T", 4u);
  EXPECT_EQ(typed.m_dwType, 4u);
  EXPECT_FALSE(typed.m_strData.has_value());
}

TEST(Registry, ChildrenAndCopy) {
  CRegistryKey root("Root", CRegistryKey::kInvisibleRoot);
  CRegistryKey* sw = root.AddChildKey("Software");
  CRegistryKey* deep = sw->AddChildKey("Vendor");
  sw->AppendValue(new CRegistryValue("Path", "C:\\"));
  EXPECT_EQ(deep->m_pParent, sw);
  CRegistryKey copy;
  copy.CopyFrom(*sw);
  EXPECT_EQ(copy.m_strName, "Software");
  EXPECT_EQ(copy.ValueCount(), 2u);
  EXPECT_EQ(copy.m_pChild, nullptr);
  EXPECT_EQ(copy.m_pParent, nullptr);
  EXPECT_FALSE(root.RemoveChildKey(deep));  // not a direct child
  EXPECT_TRUE(root.RemoveChildKey(sw));
  EXPECT_EQ(root.m_pChild, nullptr);
}

TEST(ProgramGroups, PathSortAndEmpty) {
  CKitwrightProject p;
  p.OnNewDocument();
  CProgramGroup* def = p.m_pGroups->m_pChild;
  EXPECT_EQ(def->GroupPath(), "Default");
  CProgramGroup* sub = def->AddChildGroup("Tools");
  EXPECT_EQ(sub->GroupPath(), "Default\\Tools");
  char small[5];
  EXPECT_TRUE(sub->GetGroupPath(small, sizeof small));
  EXPECT_STREQ(small, "Defa");
  EXPECT_TRUE(p.m_pGroups->IsEmpty());
  sub->AddIcon("b", "B.EXE");
  CProgramIcon* first = sub->m_pIcons;
  sub->AddIcon("a", "A.EXE")->m_dwIconIndex = 3;
  sub->AddIcon("C", "C.EXE");
  EXPECT_FALSE(p.m_pGroups->IsEmpty());
  sub->SortIcons();
  EXPECT_EQ(sub->m_pIcons, first);  // nodes stay, contents move
  std::vector<std::string> names;
  for (CProgramIcon* i = sub->m_pIcons; i; i = i->m_pNext) names.push_back(i->m_strName);
  ASSERT_EQ(names.size(), 3u);
  for (size_t i = 1; i < names.size(); ++i) EXPECT_LE(kw::CompareTextLocale(names[i - 1], names[i]), 0);
  for (CProgramIcon* i = sub->m_pIcons; i; i = i->m_pNext)
    if (i->m_strName == "a") {
      EXPECT_EQ(i->m_strPath, "A.EXE");
      EXPECT_EQ(i->m_dwIconIndex, 3u);
    }
}

TEST(IniFiles, AddRemoveIndex) {
  CIniFiles ini;
  CIniFile* f = ini.Add("APP.INI");
  CIniSection* s = f->Add("Options");
  CIniValue* v = s->Add("Key", "Value");
  s->Add("Key2", "V2");
  EXPECT_EQ(s->At(2), nullptr);
  EXPECT_EQ(s->At(0), v);
  EXPECT_TRUE(s->Remove(v));
  EXPECT_EQ(s->Count(), 1u);
  EXPECT_EQ(s->At(0)->m_strKey, "Key2");
  CIniValue stray;
  EXPECT_FALSE(s->Remove(&stray));
  CIniFiles copy;
  copy.CopyFrom(ini);
  ASSERT_EQ(copy.Count(), 1u);
  EXPECT_NE(copy.At(0), f);
  EXPECT_EQ(copy.At(0)->At(0)->At(0)->m_strValue, "V2");
}

TEST(Options, UniqueIdsAndPackages) {
  CKitwrightProject p;
  p.OnNewDocument();
  CCustomSetupOptions& opts = *p.m_pOptions;
  EXPECT_TRUE(opts.RemoveOption(opts.At(1)));  // id 2
  CCustomSetupOption* o = opts.AddOption("Extra");
  EXPECT_EQ(o->m_dwUniqueId, 2u);
  EXPECT_TRUE(o->m_dwFlags & CCustomSetupOption::kHasUniqueId);
  EXPECT_EQ(opts.AddOption("Next")->m_dwUniqueId, 4u);
  EXPECT_TRUE(o->AddPackageId(1));
  EXPECT_FALSE(o->AddPackageId(1));
  EXPECT_EQ(o->m_packageIds.size(), 1u);
  EXPECT_FALSE(o->RemovePackageId(9));
  EXPECT_TRUE(o->RemovePackageId(1));
  EXPECT_FALSE(o->HasPackageId(1));
}

TEST(Options, DigestOfLowerCasedPassword) {
  CCustomSetupOption a, b;
  a.SetPassword("Secret");
  b.SetPassword("sECRET");
  a.PrepareDigest();
  b.PrepareDigest();
  EXPECT_EQ(a.m_digest, b.m_digest);
  EXPECT_STREQ(a.m_strPassword, "secret");
  EXPECT_TRUE(a.m_dwFlags & CCustomSetupOption::kHasPassword);
  // RFC 1321 digest of "secret".
  const uint8_t want[16] = {0x5e, 0xbe, 0x22, 0x94, 0xec, 0xd0, 0xe0, 0xf0,
                            0x8e, 0xab, 0x76, 0x90, 0xd2, 0xa6, 0xee, 0x69};
  EXPECT_EQ(0, std::memcmp(a.m_digest.data(), want, 16));
  CCustomSetupOption none;
  none.PrepareDigest();
  EXPECT_FALSE(none.m_dwFlags & CCustomSetupOption::kHasPassword);
}

std::string Join(const std::string& dir, const std::string& name) { return dir + kw::kPathSep + name; }

TEST(Project, OutputDirectory) {
  CKitwrightProject p;
  p.OnNewDocument();
  EXPECT_EQ(p.GetOutputDirectory(), "");
  const std::string base = std::string("work") + kw::kPathSep;
  p.SetPathName(base + "Demo.kwr");
  EXPECT_EQ(p.GetOutputDirectory(), base + "Demo" + kw::kPathSep + "144MB");
  struct { uint32_t size; const char* token; } cases[] = {
      {713031680, "CDROM"}, {2949120, "288MB"}, {1716224, "168MB"}, {1228800, "120MB"},
      {730112, "720KB"}, {1000000, "CUSTOM"}};
  for (auto& c : cases) {
    p.m_dwDiskSize = c.size;
    EXPECT_EQ(p.GetOutputDirectory(), base + "Demo" + kw::kPathSep + c.token);
  }
  EXPECT_EQ(kw::DiskSizeIndex(1000000), 3u);
  uint32_t cap = 0;
  EXPECT_TRUE(kw::ParseDiskSize("720kb", cap));
  EXPECT_EQ(cap, 730112u);
  EXPECT_TRUE(kw::ParseDiskSize("1000000", cap));
  EXPECT_EQ(cap, 1000000u);
  EXPECT_FALSE(kw::ParseDiskSize("12x", cap));
  EXPECT_FALSE(kw::ParseDiskSize("99999999999", cap));
}

TEST(Project, FingerprintAndRebuild) {
  kwtest::TempDir dir;
  FixedClock clock(5000);
  CKitwrightProject p;
  p.OnNewDocument();
  p.SetPathName(dir.file("App.kwr"));
  const std::string a = dir.file("a.bin"), b = dir.file("b.bin");
  kwtest::WriteFile(a, std::string(10, 'x'));
  kwtest::WriteFile(b, std::string(3, 'y'));
  p.m_pPackages->AddFile(a.c_str());
  p.m_pPackages->AddFile(b.c_str());
  kw::FileStatus sa, sb;
  ASSERT_TRUE(kw::GetFileStatus(a, sa));
  ASSERT_TRUE(kw::GetFileStatus(b, sb));
  const uint32_t both = (sa.size + sa.mtime) * 33 + sb.size + sb.mtime;
  EXPECT_EQ(p.ComputeFingerprint(), both);

  // A missing file leaves the value as it was.
  p.m_pPackages->AddFile(dir.file("missing").c_str());
  EXPECT_EQ(p.ComputeFingerprint(), both);
  // A relative path is found beside the project file.
  p.m_pPackages->m_pFiles->SetSourcePath("a.bin");
  EXPECT_EQ(p.ComputeFingerprint(), both);

  EXPECT_TRUE(p.NeedsRebuild());  // no DISK1/SETUP.EXE yet
  const std::string out = p.GetOutputDirectory();
  std::filesystem::create_directories(Join(out, "DISK1"));
  kwtest::WriteFile(Join(Join(out, "DISK1"), "SETUP.EXE"), std::string("MZ"));
  p.MarkBuilt();
  EXPECT_EQ(p.m_dwFingerprint, both);
  EXPECT_FALSE(p.NeedsRebuild());
  kw::SetFixedClock(6000);
  p.SetModifiedFlag(true);
  EXPECT_EQ(p.m_tModified, 6000u);
  EXPECT_TRUE(p.NeedsRebuild());
  p.MarkBuilt();
  EXPECT_FALSE(p.NeedsRebuild());
  kwtest::WriteFile(b, std::string(4, 'y'));  // one byte more
  EXPECT_TRUE(p.NeedsRebuild());
}

TEST(Project, FingerprintFollowsTheBitmapsTheSetupCarries) {
  kwtest::TempDir dir;
  const std::string bmp = dir.file("x.bmp"), common = dir.file("all.bmp"), lic = dir.file("lic.txt");
  kwtest::WriteFile(bmp, std::string(5, 'b'));
  kwtest::WriteFile(common, std::string(9, 'c'));
  kwtest::WriteFile(lic, std::string(7, 'l'));
  auto fold = [](const std::vector<std::string>& files) {
    uint32_t h = 0;
    for (const auto& f : files) {
      kw::FileStatus st;
      EXPECT_TRUE(kw::GetFileStatus(f, st)) << f;
      h = h * 33 + static_cast<uint32_t>(st.size) + st.mtime;
    }
    return h;
  };
  CKitwrightProject p;
  p.OnNewDocument();
  ASSERT_FALSE(p.m_dwFlags & CKitwrightProject::kUseCommonBitmap);
  p.m_strBitmaps[4] = bmp;
  p.m_strCommonBitmap = common;
  p.m_strLicenseFile = lic;
  // Each dialog its own bitmap (the default): the named ones count.
  EXPECT_EQ(p.ComputeFingerprint(), fold({bmp}));
  const uint32_t before = p.ComputeFingerprint();
  kwtest::WriteFile(bmp, std::string(6, 'b'));
  EXPECT_NE(p.ComputeFingerprint(), before);
  // One bitmap for all dialogs: only that one, and none when it is not named.
  p.ChangeFlags(CKitwrightProject::kUseCommonBitmap, 0);
  EXPECT_EQ(p.ComputeFingerprint(), fold({common}));
  p.m_strCommonBitmap = "";
  EXPECT_EQ(p.ComputeFingerprint(), 0u);
  // The licence file follows its option.
  p.ChangeFlags(CKitwrightProject::kDlgLicense, 0);
  EXPECT_EQ(p.ComputeFingerprint(), fold({lic}));
}

}  // namespace
