#include <gtest/gtest.h>

#include "../testutil.h"
#include "model/project.h"
#include "platform/clock.h"
#include "setupinf/setupdata.h"
#include "stream/qvarchive.h"

namespace {

struct Fixture {
  kwtest::TempDir dir;
  CKitwrightProject project;
  Fixture() {
    kw::SetFixedClock(424242);
    project.OnNewDocument(1031);
    project.SetPathName(dir.file("app.kwr"));
  }
  ~Fixture() { kw::SetFixedClock(std::nullopt); }
  std::string Write(CSetupData& d) {
    std::string path = dir.file("SETUP.INF");
    d.WriteFile(path);
    return path;
  }
};

TEST(SetupData, EmptyRecordDefaults) {
  kw::SetFixedClock(99);
  CSetupData d;
  kw::SetFixedClock(std::nullopt);
  EXPECT_EQ(d.m_wFormat, 0x9762);
  EXPECT_EQ(d.m_tBuildTime, 99u);
  EXPECT_TRUE(d.m_strProductName.IsEmpty());
  for (const auto& b : d.m_bitmaps) EXPECT_EQ(b, nullptr);
}

TEST(SetupData, RoundTripFieldByField) {
  Fixture fx;
  CKitwrightProject& p = fx.project;
  p.m_strProductName = "Demo";
  p.m_strCompanyName = "Brantel";
  p.m_strPassword = "Secret";
  p.ChangeFlags(CKitwrightProject::kDlgLicense | CKitwrightProject::kDlgReadme | CKitwrightProject::kDlgPassword |
                    CKitwrightProject::kReservedToSetup | CKitwrightProject::kExtraValue,
                0);
  p.m_dwExtraValue = 0xABCD;
  p.m_strReservedText = "res";
  p.m_dwMathCoprocessor = 0x10001;
  kwtest::WriteFile(fx.dir.file("lic.txt"), std::string("You agree."));
  kwtest::WriteFile(fx.dir.file("readme.txt"), std::string("Read me."));
  p.m_strLicenseFile = fx.dir.file("lic.txt");
  p.m_strReadmeFile = "readme.txt";  // beside the project
  CFileItem* f = p.m_pPackages->AddFile("C:\\x.dll");
  p.m_pRegistry->m_pChild->AddChildKey("Software")->AppendValue(new CRegistryValue("V", "data"));
  p.m_pGroups->m_pChild->AddIcon("App", "%INSTALLDIR%\\APP.EXE");
  p.m_pIniFiles->At(0)->Add("Sec")->Add("k", "v");
  p.m_pOptions->At(0)->SetPassword("OptPass");
  p.m_pOptions->At(0)->AddPackageId(1);

  CSetupData d;
  d.CopyFromProject(p);
  EXPECT_NE(d.m_pPackages, p.m_pPackages);
  d.m_pPackages->m_pFiles->m_dwFileSize = 4096;
  const std::string path = fx.Write(d);
  // The project's own option keeps its password and gets no digest flag.
  EXPECT_STREQ(p.m_pOptions->At(0)->m_strPassword, "OptPass");
  EXPECT_FALSE(p.m_pOptions->At(0)->m_dwFlags & CCustomSetupOption::kHasPassword);
  EXPECT_EQ(f->m_dwFileSize, 0u);

  auto bytes = kwtest::ReadFile(path);
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "QVJN");
  EXPECT_EQ(bytes[4], 0x62);
  EXPECT_EQ(bytes[5], 0x97);
  std::string all(bytes.begin(), bytes.end());
  EXPECT_EQ(all.find("OptPass"), std::string::npos);
  EXPECT_EQ(all.find("optpass"), std::string::npos);

  CSetupData r;
  r.ReadFile(path);
  EXPECT_STREQ(r.m_strProductName, "Demo");
  EXPECT_STREQ(r.m_strCompanyName, "Brantel");
  EXPECT_EQ(r.m_dwFlags, d.m_dwFlags);
  EXPECT_EQ(r.m_dwExtraValue, 0xABCDu);
  EXPECT_STREQ(r.m_strReservedText, "res");
  EXPECT_EQ(r.m_wMathCoprocessor, 1);
  EXPECT_STREQ(r.m_strLicenseText, "You agree.");
  EXPECT_STREQ(r.m_strReadmeText, "Read me.");
  EXPECT_STREQ(r.m_strDefaultDir, "%ProgramFilesDir%\\%ProductName%");
  EXPECT_EQ(r.m_tBuildTime, 424242u);
  EXPECT_EQ(r.m_wProcessor, 386);
  EXPECT_TRUE(r.TestPassword("SECRET"));
  EXPECT_TRUE(r.TestPassword("secret"));
  EXPECT_FALSE(r.TestPassword("secrets"));
  ASSERT_NE(r.m_pPackages, nullptr);
  EXPECT_EQ(r.m_pPackages->m_pFiles->m_dwFileSize, 4096u);
  EXPECT_EQ(r.m_pPackages->m_pNext->m_strName, "AutoExpand");
  EXPECT_EQ(r.m_pRegistry->m_pChild->m_pChild->m_strName, "Software");
  EXPECT_EQ(r.m_pGroups->m_pChild->m_pIcons->m_strName, "App");
  EXPECT_EQ(r.m_pIniFiles->At(0)->At(0)->At(0)->m_strValue, "v");
  const CCustomSetupOption* o = r.m_pOptions->At(0);
  EXPECT_TRUE(o->m_dwFlags & CCustomSetupOption::kHasPassword);
  EXPECT_EQ(o->m_digest, CSetupData::PasswordDigest("optpass"));
  EXPECT_EQ(o->m_packageIds, std::vector<uint32_t>{1});
}

TEST(SetupData, OptionalFieldsAreAbsentNotEmpty) {
  Fixture fx;
  kwtest::WriteFile(fx.dir.file("lic.txt"), std::string(100, 'L'));
  fx.project.m_strLicenseFile = fx.dir.file("lic.txt");
  CSetupData off;
  off.CopyFromProject(fx.project);
  size_t without = kwtest::ReadFile(fx.Write(off)).size();
  fx.project.ChangeFlags(CKitwrightProject::kDlgLicense, 0);
  CSetupData on;
  on.CopyFromProject(fx.project);
  size_t with = kwtest::ReadFile(fx.Write(on)).size();
  EXPECT_EQ(with, without + 1 + 100 + 1);
}

TEST(SetupData, LongTextPrefix) {
  Fixture fx;
  fx.project.m_strProductName = std::string(300, 'n');
  CSetupData d;
  d.CopyFromProject(fx.project);
  auto bytes = kwtest::ReadFile(fx.Write(d));
  EXPECT_EQ(bytes[6], 0xFF);
  EXPECT_EQ(bytes[7], 0x2C);
  EXPECT_EQ(bytes[8], 0x01);
  EXPECT_EQ(bytes[9 + 300], 0x00);
}

TEST(SetupData, BitmapsSharedByCaseInsensitivePath) {
  Fixture fx;
  std::vector<uint8_t> bmp(40000);
  uint32_t x = 12345;
  for (auto& b : bmp) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
  kwtest::WriteFile(fx.dir.file("pic.bmp"), bmp);
  kwtest::WriteFile(fx.dir.file("other.bmp"), std::string("BMx"));
  const std::string path = fx.dir.file("pic.bmp");
  // Only the letter case differs; the later slots are never opened.
  std::string mixed = fx.dir.file("PIC.bmp");
  fx.project.m_strBitmaps[0] = path;
  fx.project.m_strBitmaps[2] = mixed;
  fx.project.m_strBitmaps[5] = fx.dir.file("pic.BMP");
  fx.project.m_strBitmaps[6] = fx.dir.file("other.bmp");
  CSetupData d;
  d.CopyFromProject(fx.project);
  auto file = fx.Write(d);
  auto bytes = kwtest::ReadFile(file);
  std::string all(bytes.begin(), bytes.end());
  std::string needle(bmp.begin(), bmp.begin() + 64);
  size_t first = all.find(needle);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(all.find(needle, first + 1), std::string::npos);  // stored once
  CSetupData r;
  r.ReadFile(file);
  ASSERT_NE(r.m_bitmaps[0], nullptr);
  EXPECT_EQ(*r.m_bitmaps[0], bmp);
  EXPECT_EQ(r.m_bitmaps[2], r.m_bitmaps[0]);
  EXPECT_EQ(r.m_bitmaps[5], r.m_bitmaps[0]);
  EXPECT_EQ(r.m_bitmaps[1], nullptr);
  ASSERT_NE(r.m_bitmaps[6], nullptr);
  EXPECT_EQ(r.m_bitmaps[6]->size(), 3u);
  // Tail: slot 2 is FFFFFFFF and index 0 as u16.
  size_t slot2 = first + bmp.size() + 4;
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + slot2, bytes.begin() + slot2 + 6),
            (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
}

TEST(SetupData, CommonBitmap) {
  Fixture fx;
  kwtest::WriteFile(fx.dir.file("all.bmp"), std::string("BMcommon"));
  fx.project.ChangeFlags(CKitwrightProject::kUseCommonBitmap, 0);
  fx.project.m_strCommonBitmap = fx.dir.file("all.bmp");
  fx.project.m_strBitmaps[0] = fx.dir.file("ignored-when-common.bmp");
  CSetupData d;
  d.CopyFromProject(fx.project);
  auto bytes = kwtest::ReadFile(fx.Write(d));
  // 13, then size 8 and the bytes, then 12 zero slots.
  std::vector<uint8_t> tail = {13, 0, 0, 0, 8, 0, 0, 0, 'B', 'M', 'c', 'o', 'm', 'm', 'o', 'n'};
  tail.insert(tail.end(), 48, 0);
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - tail.size(), bytes.end()), tail);
}

TEST(SetupData, UnreadableBitmapFailsTheWrite) {
  Fixture fx;
  fx.project.m_strBitmaps[3] = fx.dir.file("missing.bmp");
  CSetupData d;
  d.CopyFromProject(fx.project);
  EXPECT_THROW(fx.Write(d), CSetupData::CBitmapError);
}

TEST(SetupData, DamagedFilesAreRefused) {
  Fixture fx;
  kwtest::WriteFile(fx.dir.file("a.bmp"), std::string("BMa"));
  fx.project.m_strBitmaps[0] = fx.dir.file("a.bmp");
  fx.project.m_strBitmaps[1] = fx.dir.file("A.bmp");
  fx.project.m_pPackages->AddFile("C:\\f");
  CSetupData d;
  d.CopyFromProject(fx.project);
  const auto good = kwtest::ReadFile(fx.Write(d));
  const std::string path = fx.dir.file("bad.inf");
  for (size_t n = 4; n < good.size(); ++n) {
    kwtest::WriteFile(path, std::vector<uint8_t>(good.begin(), good.begin() + n));
    CSetupData r;
    EXPECT_THROW(r.ReadFile(path), CQVArchive::CXQVArchive) << n;
  }
  // A repeat that names a later slot, and a bitmap size beyond the file.
  const size_t slot0 = good.size() - 13 * 4 - 3 - 2;
  auto forward = good;
  forward[slot0 + 4 + 3 + 4] = 5;  // slot 1 refers to slot 5
  auto huge = good;
  huge[slot0 + 3] = 0x7F;
  for (const auto& bad : {forward, huge}) {
    kwtest::WriteFile(path, bad);
    CSetupData r;
    EXPECT_THROW(r.ReadFile(path), CQVArchive::CXQVArchive);
  }
  kwtest::WriteFile(path, std::string("QVJX"));
  CSetupData r;
  EXPECT_THROW(r.ReadFile(path), CQVArchive::CXQVArchive);
}

}  // namespace
