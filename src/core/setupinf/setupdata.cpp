#include "setupinf/setupdata.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "model/project.h"
#include "platform/clock.h"
#include "platform/mapfile.h"
#include "platform/text.h"
#include "stream/qvarchive.h"

constexpr char CSetupData::kSignature[4];

namespace {

constexpr uint32_t kRepeat = 0xFFFFFFFF;

// Smallest setup-stream sizes, for checking counts against what is left.
constexpr uint64_t kMinPackage = 1 + 2 + 4 + 2;

std::string Upper(const std::string& s) {
  std::string u = s;
  kw::UpperAnsi(u);
  return u;
}

// The whole text of a file, for the licence and readme fields.
CQVString ReadTextFile(const std::string& path) {
  kw::MappedFile f;
  if (!f.Open(path)) throw CSetupData::CBitmapError(path);
  if (f.size() > 0xFFFF) throw CSetupData::CBitmapError(path);
  std::string text(reinterpret_cast<const char*>(f.data()), f.size());
  // The stream ends a text at its first zero byte.
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return CQVString(text);
}

}  // namespace

CSetupData::CSetupData() { m_tBuildTime = kw::Now(); }

CSetupData::~CSetupData() { Clear(); }

void CSetupData::Clear() {
  DeleteTrees(m_pPackages, m_pRegistry, m_pGroups, m_pIniFiles, m_pOptions);
  for (auto& b : m_bitmaps) b.reset();
}

kw::Md5Digest CSetupData::PasswordDigest(const std::string& password) {
  std::string lower = password;
  kw::LowerAnsi(lower);
  return kw::Md5(lower.data(), lower.size());
}

bool CSetupData::TestPassword(const char* candidate) const {
  return PasswordDigest(candidate ? candidate : "") == m_passwordDigest;
}

void CSetupData::CopyFromProject(const CKitwrightProject& p) {
  Clear();
  m_wFormat = kFormat;
  m_strProductName = p.m_strProductName;
  m_strProductVersion = p.m_strProductVersion;
  m_strCompanyName = p.m_strCompanyName;
  m_dwFlags = p.m_dwFlags;
  m_dwExtraValue = p.m_dwExtraValue;
  m_strSetupTitle = p.m_strSetupTitle;
  m_dwShowTitleBar = p.m_dwShowTitleBar;
  m_dwGradient = p.m_dwGradient;
  m_dwGradientFrom = p.m_dwGradientFrom;
  m_dwGradientTo = p.m_dwGradientTo;
  m_wOperatingSystem = p.m_wOperatingSystem;
  m_wRequiredSystems = p.m_wRequiredSystems;
  m_wMinNTVersion = p.m_wMinNTVersion;
  m_wMin95Version = p.m_wMin95Version;
  m_wMinWin32sVersion = p.m_wMinWin32sVersion;
  m_wProcessor = p.m_wProcessor;
  m_dwColors = p.m_dwColors;
  m_wResolution = p.m_wResolution;
  m_wMathCoprocessor = static_cast<uint16_t>(p.m_dwMathCoprocessor);
  m_strReservedText = p.m_strReservedText;
  m_dwReservedValue = p.m_dwReservedValue;
  m_tReservedTime = p.m_tReservedTime;
  m_strCheckApps = p.m_strCheckApps;
  m_strDefaultDir = p.m_strDefaultDir;
  m_strLicenseFile = p.ResolveSourcePath(p.m_strLicenseFile.str());
  m_strReadmeFile = p.ResolveSourcePath(p.m_strReadmeFile.str());
  m_strProgramFolder = p.m_strProgramFolder;
  m_dwUserInfoMask = p.m_dwUserInfoMask;
  m_strPassword = p.m_strPassword;
  m_passwordDigest = PasswordDigest(p.m_strPassword.str());
  m_dwMinInstallTime = p.m_dwMinInstallTime;
  m_pPackages = CopyPackageList(p.m_pPackages);
  m_pRegistry = p.m_pRegistry ? CopyKeyTree(*p.m_pRegistry) : new CRegistryKey("Root", CRegistryKey::kInvisibleRoot);
  m_pGroups = p.m_pGroups ? CopyGroupTree(*p.m_pGroups) : new CProgramGroup("Start Menu", CProgramGroup::kFixed);
  m_pIniFiles = new CIniFiles;
  if (p.m_pIniFiles) m_pIniFiles->CopyFrom(*p.m_pIniFiles);
  m_pOptions = new CCustomSetupOptions;
  if (p.m_pOptions) m_pOptions->CopyFrom(*p.m_pOptions);
  for (int i = 0; i < kBitmapSlots; ++i)
    m_strBitmaps[i] = p.m_strBitmaps[i].IsEmpty() ? std::string() : p.ResolveSourcePath(p.m_strBitmaps[i].str());
  m_strCommonBitmap = p.m_strCommonBitmap.IsEmpty() ? std::string() : p.ResolveSourcePath(p.m_strCommonBitmap.str());
}

void CSetupData::Serialize(CQVArchive& ar) {
  if (ar.IsStoring()) Write(ar);
  else Read(ar);
}

void CSetupData::WriteFile(const std::string& path) {
  CQVArchive ar;
  ar.Open(path, CQVArchive::store, kSignature);
  Write(ar);
  ar.Flush();
  if (!ar.Close()) throw CQVArchive::CXQVArchive(errno);
}

void CSetupData::ReadFile(const std::string& path) {
  CQVArchive ar;
  ar.Open(path, CQVArchive::load, kSignature);
  Read(ar);
  // Nothing follows the record.
  if (ar.Remaining() != 0) throw CQVArchive::CXQVArchive();
}

void CSetupData::WriteBitmapFile(CQVArchive& ar, const std::string& path) {
  kw::MappedFile f;
  // A size followed by no bytes would leave a record no reader can follow.
  if (!f.Open(path) || f.size() > 0xFFFFFFF0u) throw CBitmapError(path);
  ar << static_cast<uint32_t>(f.size());
  if (f.size()) ar.WriteLarge(f.data(), f.size());
}

void CSetupData::Write(CQVArchive& ar) {
  const uint32_t flags = m_dwFlags;
  ar << m_wFormat << m_strProductName << m_strProductVersion << m_strCompanyName << flags;
  if (flags & CKitwrightProject::kExtraValue) ar << m_dwExtraValue;
  ar << m_strSetupTitle << m_dwShowTitleBar << m_dwGradient << m_dwGradientFrom << m_dwGradientTo;
  ar << m_wOperatingSystem << m_wRequiredSystems << m_wMinNTVersion << m_wMin95Version << m_wMinWin32sVersion
     << m_wProcessor;
  ar << m_dwColors << m_wResolution << m_wMathCoprocessor;
  if (flags & CKitwrightProject::kReservedToSetup) ar << m_strReservedText << m_dwReservedValue << m_tReservedTime;
  ar << m_strCheckApps << m_strDefaultDir;
  if (flags & CKitwrightProject::kDlgLicense) ar << ReadTextFile(m_strLicenseFile.str());
  if (flags & CKitwrightProject::kDlgReadme) ar << ReadTextFile(m_strReadmeFile.str());
  ar << m_strProgramFolder << m_dwUserInfoMask;
  if (flags & CKitwrightProject::kDlgPassword) ar.Write(m_passwordDigest.data(), m_passwordDigest.size());
  ar << m_dwMinInstallTime << m_tBuildTime;

  size_t count = 0;
  for (const CFileFolder* p = m_pPackages; p; p = p->m_pNext) ++count;
  if (count > 0xFFFF) throw CQVArchive::CXQVArchive();
  ar << static_cast<uint16_t>(count);
  for (CFileFolder* p = m_pPackages; p; p = p->m_pNext) static_cast<CQVObject*>(p)->Serialize(ar);
  if (!m_pRegistry || !m_pGroups || !m_pIniFiles || !m_pOptions) throw CQVArchive::CXQVArchive();
  static_cast<CQVObject*>(m_pRegistry)->Serialize(ar);
  static_cast<CQVObject*>(m_pGroups)->Serialize(ar);
  static_cast<CQVObject*>(m_pIniFiles)->Serialize(ar);
  // The options go out with their password digests, never the passwords.
  for (CCustomSetupOption* o : m_pOptions->m_options.Items()) o->PrepareDigest();
  static_cast<CQVObject*>(m_pOptions)->Serialize(ar);

  ar << static_cast<uint32_t>(kBitmapSlots);
  if (flags & CKitwrightProject::kUseCommonBitmap) {
    int rest = kBitmapSlots;
    if (!m_strCommonBitmap.empty()) {
      WriteBitmapFile(ar, m_strCommonBitmap);
      --rest;
    }
    for (int i = 0; i < rest; ++i) ar << static_cast<uint32_t>(0);
    return;
  }
  for (int i = 0; i < kBitmapSlots; ++i) {
    const std::string& path = m_strBitmaps[i];
    if (path.empty()) {
      ar << static_cast<uint32_t>(0);
      continue;
    }
    int earlier = -1;
    for (int j = 0; j < i && earlier < 0; ++j)
      if (!m_strBitmaps[j].empty() && Upper(m_strBitmaps[j]) == Upper(path)) earlier = j;
    if (earlier >= 0) {
      ar << kRepeat << static_cast<uint16_t>(earlier);
    } else {
      WriteBitmapFile(ar, path);
    }
  }
}

void CSetupData::Read(CQVArchive& ar) {
  Clear();
  ar >> m_wFormat >> m_strProductName >> m_strProductVersion >> m_strCompanyName >> m_dwFlags;
  const uint32_t flags = m_dwFlags;
  m_dwExtraValue = 0;
  if (flags & CKitwrightProject::kExtraValue) ar >> m_dwExtraValue;
  ar >> m_strSetupTitle >> m_dwShowTitleBar >> m_dwGradient >> m_dwGradientFrom >> m_dwGradientTo;
  ar >> m_wOperatingSystem >> m_wRequiredSystems >> m_wMinNTVersion >> m_wMin95Version >> m_wMinWin32sVersion >>
      m_wProcessor;
  ar >> m_dwColors >> m_wResolution >> m_wMathCoprocessor;
  m_strReservedText = "";
  m_dwReservedValue = m_tReservedTime = 0;
  if (flags & CKitwrightProject::kReservedToSetup) ar >> m_strReservedText >> m_dwReservedValue >> m_tReservedTime;
  ar >> m_strCheckApps >> m_strDefaultDir;
  m_strLicenseText = "";
  m_strReadmeText = "";
  if (flags & CKitwrightProject::kDlgLicense) ar >> m_strLicenseText;
  if (flags & CKitwrightProject::kDlgReadme) ar >> m_strReadmeText;
  ar >> m_strProgramFolder >> m_dwUserInfoMask;
  m_passwordDigest = {};
  if (flags & CKitwrightProject::kDlgPassword) {
    ar.Require(m_passwordDigest.size());
    ar.Read(m_passwordDigest.data(), m_passwordDigest.size());
  }
  ar >> m_dwMinInstallTime >> m_tBuildTime;

  uint16_t count;
  ar >> count;
  if (count > ar.Remaining() / kMinPackage) throw CQVArchive::CXQVArchive();
  for (uint16_t i = 0; i < count; ++i) {
    auto* p = new CFileFolder;
    if (!m_pPackages) m_pPackages = p;
    else m_pPackages->AppendPackage(p);
    static_cast<CQVObject*>(p)->Serialize(ar);
  }
  m_pRegistry = new CRegistryKey;
  static_cast<CQVObject*>(m_pRegistry)->Serialize(ar);
  m_pGroups = new CProgramGroup;
  static_cast<CQVObject*>(m_pGroups)->Serialize(ar);
  m_pIniFiles = new CIniFiles;
  static_cast<CQVObject*>(m_pIniFiles)->Serialize(ar);
  m_pOptions = new CCustomSetupOptions;
  static_cast<CQVObject*>(m_pOptions)->Serialize(ar);

  uint32_t slots;
  ar >> slots;
  if (slots > ar.Remaining() / 4) throw CQVArchive::CXQVArchive();
  for (uint32_t i = 0; i < slots; ++i) {
    uint32_t size;
    ar >> size;
    std::shared_ptr<const std::vector<uint8_t>> block;
    if (size == kRepeat) {
      uint16_t earlier;
      ar >> earlier;
      if (earlier >= i || earlier >= kBitmapSlots || !m_bitmaps[earlier]) throw CQVArchive::CXQVArchive();
      block = m_bitmaps[earlier];
    } else if (size > 0) {
      ar.Require(size);
      auto data = std::make_shared<std::vector<uint8_t>>(size);
      ar.ReadLarge(data->data(), size);
      block = std::move(data);
    }
    // Slots beyond the wizard's dialogs are read and dropped.
    if (i < kBitmapSlots) m_bitmaps[i] = std::move(block);
  }
}
