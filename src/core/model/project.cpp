#include "model/project.h"

#include <utility>

#include "model/disksize.h"
#include "platform/clock.h"
#include "platform/filesys.h"

namespace {
constexpr size_t kMaxPath = 260;
}

CKitwrightProject::CKitwrightProject() = default;

CKitwrightProject::~CKitwrightProject() { DeleteContents(); }

void CKitwrightProject::DeleteContents() { DeleteTrees(m_pPackages, m_pRegistry, m_pGroups, m_pIniFiles, m_pOptions); }

void CKitwrightProject::AddDefaultIniFiles(CIniFiles& ini) {
  ini.Add("WIN.INI");
  ini.Add("SYSTEM.INI");
}

bool CKitwrightProject::OnNewDocument(uint16_t setupLanguage, const NewProjectTexts& texts) {
  DeleteContents();
  const uint32_t now = kw::Now();
  m_wMagic = kMagic;
  m_wVersion = kVersion;
  m_strProductName = "";
  m_strProductVersion = "1.0";
  m_strCompanyName = "";
  m_wSetupLanguage = setupLanguage;
  m_wOperatingSystem = 2;
  m_dwFlags = 0x2B22;
  m_dwExtraValue = 0;
  m_strSetupTitle = "%CompanyName% %ProductName% Setup";
  m_dwShowTitleBar = 1;
  m_dwGradient = 1;
  m_dwGradientFrom = 0xFF0000;
  m_dwGradientTo = 0;
  m_wRequiredSystems = 6;
  m_wMinNTVersion = 0x0333;
  m_wMin95Version = 0x0400;
  m_wMinWin32sVersion = 0x011E;
  m_wProcessor = 386;
  m_dwColors = 0;
  m_wResolution = 0;
  m_dwMathCoprocessor = 0;
  m_strReservedText = "";
  m_dwReservedValue = 1;
  m_tReservedTime = now;
  m_strCheckApps = "";
  m_strDefaultDir = "%ProgramFilesDir%\\%ProductName%";
  m_strLicenseFile = "";
  m_strReadmeFile = "";
  m_strProgramFolder = "%ProductName% %ProductVersion%";
  m_dwUserInfoMask = 0x13;
  m_strPassword = "";
  m_tModified = now;
  m_tBuilt = now;
  m_dwFingerprint = 0;
  m_dwDiskSize = kw::kDefaultDiskSize;
  m_dwNextPackageId = 4;
  m_dwMinInstallTime = 1;
  for (auto& b : m_strBitmaps) b = "";
  m_strCommonBitmap = "";

  m_pPackages = new CFileFolder("Main", 0x20FF, 1);
  m_pPackages->AppendPackage(new CFileFolder("AutoExpand", 0x3800, 2));

  m_pRegistry = new CRegistryKey("Root", CRegistryKey::kInvisibleRoot);
  m_pRegistry->AddChildKey("HKEY_CLASSES_ROOT", 0x80000000);
  m_pRegistry->AddChildKey("HKEY_CURRENT_USER", 0x80000001);
  m_pRegistry->AddChildKey("HKEY_LOCAL_MACHINE", 0x80000002);
  m_pRegistry->AddChildKey("HKEY_USERS", 0x80000003);
  m_pRegistry->AddChildKey("HKEY_CURRENT_CONFIG", 0x80000005);

  m_pGroups = new CProgramGroup("Start Menu", CProgramGroup::kFixed);
  m_pGroups->AddChildGroup("Default", CProgramGroup::kFixed | CProgramGroup::kDefaultFolder);

  m_pIniFiles = new CIniFiles;
  AddDefaultIniFiles(*m_pIniFiles);

  m_pOptions = new CCustomSetupOptions;
  for (const std::string* name : {&texts.programFiles, &texts.helpFiles, &texts.sampleFiles})
    m_pOptions->AddOption(name->c_str())->ChangeFlags(0, CCustomSetupOption::kSelected);

  m_strOutputDir.clear();
  CDocumentBase::SetModifiedFlag(false);
  return true;
}

void CKitwrightProject::TakeContentsFrom(CKitwrightProject& o) {
  DeleteContents();
  m_wMagic = o.m_wMagic;
  m_wVersion = o.m_wVersion;
  m_strProductName = o.m_strProductName;
  m_strProductVersion = o.m_strProductVersion;
  m_strCompanyName = o.m_strCompanyName;
  m_wSetupLanguage = o.m_wSetupLanguage;
  m_wOperatingSystem = o.m_wOperatingSystem;
  m_dwFlags = o.m_dwFlags;
  m_dwExtraValue = o.m_dwExtraValue;
  m_strSetupTitle = o.m_strSetupTitle;
  m_dwShowTitleBar = o.m_dwShowTitleBar;
  m_dwGradient = o.m_dwGradient;
  m_dwGradientFrom = o.m_dwGradientFrom;
  m_dwGradientTo = o.m_dwGradientTo;
  m_wRequiredSystems = o.m_wRequiredSystems;
  m_wMinNTVersion = o.m_wMinNTVersion;
  m_wMin95Version = o.m_wMin95Version;
  m_wMinWin32sVersion = o.m_wMinWin32sVersion;
  m_wProcessor = o.m_wProcessor;
  m_dwColors = o.m_dwColors;
  m_wResolution = o.m_wResolution;
  m_dwMathCoprocessor = o.m_dwMathCoprocessor;
  m_strReservedText = o.m_strReservedText;
  m_dwReservedValue = o.m_dwReservedValue;
  m_tReservedTime = o.m_tReservedTime;
  m_strDefaultDir = o.m_strDefaultDir;
  m_strLicenseFile = o.m_strLicenseFile;
  m_strReadmeFile = o.m_strReadmeFile;
  m_strProgramFolder = o.m_strProgramFolder;
  m_dwUserInfoMask = o.m_dwUserInfoMask;
  m_strPassword = o.m_strPassword;
  m_tModified = o.m_tModified;
  m_tBuilt = o.m_tBuilt;
  m_dwFingerprint = o.m_dwFingerprint;
  m_strCheckApps = o.m_strCheckApps;
  m_dwDiskSize = o.m_dwDiskSize;
  m_dwNextPackageId = o.m_dwNextPackageId;
  m_dwMinInstallTime = o.m_dwMinInstallTime;
  for (int i = 0; i < kBitmapCount; ++i) m_strBitmaps[i] = o.m_strBitmaps[i];
  m_strCommonBitmap = o.m_strCommonBitmap;
  m_pPackages = std::exchange(o.m_pPackages, nullptr);
  m_pRegistry = std::exchange(o.m_pRegistry, nullptr);
  m_pGroups = std::exchange(o.m_pGroups, nullptr);
  m_pIniFiles = std::exchange(o.m_pIniFiles, nullptr);
  m_pOptions = std::exchange(o.m_pOptions, nullptr);
}

void CKitwrightProject::SetModifiedFlag(bool modified) {
  CDocumentBase::SetModifiedFlag(modified);
  if (modified) m_tModified = kw::Now();
}

uint32_t CKitwrightProject::TakeNextPackageId() {
  SetModifiedFlag(true);
  return m_dwNextPackageId++;
}

std::string CKitwrightProject::GetOutputDirectory() {
  m_strOutputDir.clear();
  if (GetPathName().empty()) return m_strOutputDir;
  kw::PathParts p = kw::SplitPath(GetPathName());
  std::string out = p.drive + p.dir + p.fname + kw::kPathSep + kw::DiskSizeToken(m_dwDiskSize);
  if (out.size() >= kMaxPath) out.resize(kMaxPath - 1);
  m_strOutputDir = out;
  return m_strOutputDir;
}

namespace {
bool IsAbsolutePath(const std::string& p) {
  if (p.empty()) return false;
  if (kw::IsPathSep(p[0])) return true;
  return p.size() >= 2 && p[1] == ':';
}
}  // namespace

std::string CKitwrightProject::ResolveSourcePath(const std::string& path) const {
  if (path.empty() || IsAbsolutePath(path) || GetPathName().empty()) return path;
  kw::PathParts p = kw::SplitPath(GetPathName());
  std::string rel = path;
  if (kw::kPathSep == '/')
    for (char& c : rel)
      if (c == '\\') c = '/';
  return p.drive + p.dir + rel;
}

uint32_t CKitwrightProject::ComputeFingerprint() const {
  uint32_t value = 0;
  auto fold = [&](const std::string& path) {
    std::string p = ResolveSourcePath(path);
    if (p.size() > kMaxPath - 1) p.resize(kMaxPath - 1);
    kw::FileStatus st;
    if (kw::GetFileStatus(p, st)) value = value * 33 + static_cast<uint32_t>(st.size) + st.mtime;
  };
  for (const CFileFolder* pkg = m_pPackages; pkg; pkg = pkg->m_pNext)
    for (const CFileItem* f = pkg->m_pFiles; f; f = f->m_pNext) fold(f->m_strSource);
  // The bitmaps the setup carries: the common one, or each dialog's own.
  if (m_dwFlags & kUseCommonBitmap) {
    if (!m_strCommonBitmap.IsEmpty()) fold(m_strCommonBitmap.str());
  } else {
    for (const auto& b : m_strBitmaps)
      if (!b.IsEmpty()) fold(b.str());
  }
  if (m_dwFlags & kDlgLicense) fold(m_strLicenseFile.str());
  if (m_dwFlags & kDlgReadme) fold(m_strReadmeFile.str());
  return value;
}

bool CKitwrightProject::NeedsRebuild() {
  uint32_t fp = ComputeFingerprint();
  if (GetOutputDirectory().empty()) return true;
  std::string setup = m_strOutputDir + kw::kPathSep + "DISK1" + kw::kPathSep + "SETUP.EXE";
  if (!kw::CanOpenForReading(setup)) return true;
  if (m_tBuilt < m_tModified) return true;
  return fp != m_dwFingerprint;
}

void CKitwrightProject::MarkBuilt() {
  m_tBuilt = kw::Now();
  m_dwFingerprint = ComputeFingerprint();
}
