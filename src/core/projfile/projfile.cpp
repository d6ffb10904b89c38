#include "projfile/projfile.h"

#include <filesystem>
#include <memory>

#include "model/items.h"
#include "model/project.h"
#include "platform/compound.h"
#include "platform/filesys.h"
#include "stream/objarchive.h"

namespace kw {

namespace {

const char kContents[] = "Contents";

void WriteText(ObjectArchive& ar, const CQVString& s) { ar.WriteString(s.str()); }
void ReadText(ObjectArchive& ar, CQVString& s) { s = ar.ReadString(); }

uint16_t CodeForWrite(CompoundError e) {
  switch (e) {
    case CompoundError::None: return kProjectOk;
    case CompoundError::NotFound:
    case CompoundError::BadPath: return kProjectBadPath;
    case CompoundError::AccessDenied:
    case CompoundError::Sharing: return kProjectWriteDenied;
    case CompoundError::DiskFull: return kProjectDiskFull;
    case CompoundError::Io: return kProjectWriteError;
    default: return kProjectSaveFailed;
  }
}

uint16_t CodeForRead(CompoundError e) {
  switch (e) {
    case CompoundError::None: return kProjectOk;
    case CompoundError::NotFound:
    case CompoundError::BadPath: return kProjectBadPath;
    case CompoundError::AccessDenied:
    case CompoundError::Sharing: return kProjectReadShared;
    case CompoundError::Io: return kProjectReadError;
    case CompoundError::TooLarge: return kProjectBadFormat;
    default: return kProjectOpenFailed;  // no compound file, no "Contents"
  }
}

}  // namespace

const char* ProjectFileMessage(uint16_t code) {
  switch (code) {
    case kProjectOpenFailed: return "Failed to open document.";
    case kProjectSaveFailed: return "Failed to save document.";
    case kProjectBadFormat: return "Unexpected file format.";
    case kProjectBadPath: return "%1\nCannot find this file.\nPlease verify that the correct path and file name are given.";
    case kProjectDiskFull: return "Destination disk is full.";
    case kProjectReadShared: return "Unable to read from %1, it is opened by someone else.";
    case kProjectWriteDenied: return "Unable to write to %1, it is read-only or opened by someone else.";
    case kProjectReadError: return "An unexpected error occurred while reading %1.";
    case kProjectWriteError: return "An unexpected error occurred while writing %1.";
    default: return "";
  }
}

std::string FormatProjectFileMessage(uint16_t code, const std::string& path) {
  std::string text = ProjectFileMessage(code);
  size_t p = text.find("%1");
  if (p != std::string::npos) text.replace(p, 2, path);
  return text;
}

std::vector<uint8_t> WriteProjectContents(CKitwrightProject& pr) {
  pr.m_wMagic = CKitwrightProject::kMagic;
  pr.m_wVersion = CKitwrightProject::kVersion;
  pr.m_dwFlags |= CKitwrightProject::kBitmapsPresent | CKitwrightProject::kCommonBitmapPresent;
  for (CFileFolder* p = pr.m_pPackages; p; p = p->m_pNext) p->m_dwFlags |= CFileFolder::kHasId;

  ObjectArchive ar;
  ar.WriteDword(0);  // embedded items
  ar.WriteWord(pr.m_wMagic);
  ar.WriteWord(pr.m_wVersion);
  WriteText(ar, pr.m_strProductName);
  WriteText(ar, pr.m_strProductVersion);
  WriteText(ar, pr.m_strCompanyName);
  ar.WriteWord(pr.m_wSetupLanguage);
  ar.WriteWord(pr.m_wOperatingSystem);
  ar.WriteDword(pr.m_dwFlags);
  if (pr.m_dwFlags & CKitwrightProject::kExtraValue) ar.WriteDword(pr.m_dwExtraValue);
  WriteText(ar, pr.m_strSetupTitle);
  ar.WriteDword(pr.m_dwShowTitleBar);
  ar.WriteDword(pr.m_dwGradient);
  ar.WriteDword(pr.m_dwGradientFrom);
  ar.WriteDword(pr.m_dwGradientTo);
  ar.WriteWord(pr.m_wRequiredSystems);
  ar.WriteWord(pr.m_wMinNTVersion);
  ar.WriteWord(pr.m_wMin95Version);
  ar.WriteWord(pr.m_wMinWin32sVersion);
  ar.WriteWord(pr.m_wProcessor);
  ar.WriteDword(pr.m_dwColors);
  ar.WriteWord(pr.m_wResolution);
  ar.WriteDword(pr.m_dwMathCoprocessor);
  WriteText(ar, pr.m_strReservedText);
  ar.WriteDword(pr.m_dwReservedValue);
  ar.WriteDword(pr.m_tReservedTime);
  WriteText(ar, pr.m_strDefaultDir);
  WriteText(ar, pr.m_strLicenseFile);
  WriteText(ar, pr.m_strReadmeFile);
  WriteText(ar, pr.m_strProgramFolder);
  ar.WriteDword(pr.m_dwUserInfoMask);
  WriteText(ar, pr.m_strPassword);
  ar.WriteDword(pr.m_tModified);
  ar.WriteDword(pr.m_tBuilt);
  ar.WriteDword(pr.m_dwFingerprint);
  WriteText(ar, pr.m_strCheckApps);
  ar.WriteDword(pr.m_dwDiskSize);
  ar.WriteDword(pr.m_dwNextPackageId);
  if (pr.m_dwFlags & CKitwrightProject::kMinInstallTime) ar.WriteDword(pr.m_dwMinInstallTime);
  size_t count = 0;
  for (CFileFolder* p = pr.m_pPackages; p; p = p->m_pNext) ++count;
  if (count == 0 || count > 0xFFFF) throw ArchiveError(ArchiveError::Generic);
  ar.WriteWord(static_cast<uint16_t>(count));
  for (CFileFolder* p = pr.m_pPackages; p; p = p->m_pNext) ar.WriteObject(*p);
  if (!pr.m_pRegistry || !pr.m_pGroups || !pr.m_pIniFiles || !pr.m_pOptions)
    throw ArchiveError(ArchiveError::Generic);
  ar.WriteObject(*pr.m_pRegistry);
  ar.WriteObject(*pr.m_pGroups);
  ar.WriteObject(*pr.m_pIniFiles);
  ar.WriteObject(*pr.m_pOptions);
  ar.WriteDword(CKitwrightProject::kBitmapCount);
  for (const auto& b : pr.m_strBitmaps) WriteText(ar, b);
  WriteText(ar, pr.m_strCommonBitmap);
  return ar.Bytes();
}

void ReadProjectContents(const uint8_t* data, size_t size, CKitwrightProject& pr) {
  ObjectArchive ar(data, size, ProjectClasses());
  pr.DeleteContents();
  ar.ReadDword();  // embedded items: the document holds none
  pr.m_wMagic = ar.ReadWord();
  uint16_t version = ar.ReadWord();
  if (version > CKitwrightProject::kVersion) version = CKitwrightProject::kVersion;
  pr.m_wVersion = version;
  const bool v0A = version >= CKitwrightProject::kVersion970A;
  const bool v0B = version >= CKitwrightProject::kVersion;
  ReadText(ar, pr.m_strProductName);
  ReadText(ar, pr.m_strProductVersion);
  ReadText(ar, pr.m_strCompanyName);
  pr.m_wSetupLanguage = ar.ReadWord();
  pr.m_wOperatingSystem = ar.ReadWord();
  pr.m_dwFlags = ar.ReadDword();
  if (!v0A) pr.m_dwFlags |= CKitwrightProject::kDlgUninstall;
  const uint32_t flags = pr.m_dwFlags;
  pr.m_dwExtraValue = (flags & CKitwrightProject::kExtraValue) ? ar.ReadDword() : 0;
  ReadText(ar, pr.m_strSetupTitle);
  pr.m_dwShowTitleBar = ar.ReadDword();
  pr.m_dwGradient = ar.ReadDword();
  pr.m_dwGradientFrom = ar.ReadDword();
  pr.m_dwGradientTo = ar.ReadDword();
  pr.m_wRequiredSystems = ar.ReadWord();
  pr.m_wMinNTVersion = ar.ReadWord();
  pr.m_wMin95Version = ar.ReadWord();
  pr.m_wMinWin32sVersion = ar.ReadWord();
  pr.m_wProcessor = ar.ReadWord();
  pr.m_dwColors = ar.ReadDword();
  pr.m_wResolution = ar.ReadWord();
  pr.m_dwMathCoprocessor = ar.ReadDword();
  ReadText(ar, pr.m_strReservedText);
  pr.m_dwReservedValue = ar.ReadDword();
  pr.m_tReservedTime = ar.ReadDword();
  ReadText(ar, pr.m_strDefaultDir);
  ReadText(ar, pr.m_strLicenseFile);
  ReadText(ar, pr.m_strReadmeFile);
  ReadText(ar, pr.m_strProgramFolder);
  pr.m_dwUserInfoMask = ar.ReadDword();
  if (v0A) ReadText(ar, pr.m_strPassword);
  else pr.m_strPassword = "";
  pr.m_tModified = ar.ReadDword();
  pr.m_tBuilt = ar.ReadDword();
  pr.m_dwFingerprint = ar.ReadDword();
  ReadText(ar, pr.m_strCheckApps);
  pr.m_dwDiskSize = ar.ReadDword();
  pr.m_dwNextPackageId = v0B ? ar.ReadDword() : 1;
  pr.m_dwMinInstallTime = (flags & CKitwrightProject::kMinInstallTime) ? ar.ReadDword() : 1;

  // Packages: an empty list is read as one package anyway.
  uint16_t count = ar.ReadWord();
  if (count == 0) count = 1;
  // Each package object takes at least its tag and seven bytes of data.
  ar.RequireCount(count, 2 + 1 + 1 + 4 + 1);
  for (uint16_t i = 0; i < count; ++i) {
    std::unique_ptr<CFileFolder> p = ar.ReadObjectAs<CFileFolder>();
    if (!pr.m_pPackages) pr.m_pPackages = p.release();
    else pr.m_pPackages->AppendPackage(p.release());
  }
  if (!v0A) {
    pr.m_pPackages->AppendPackage(new CFileFolder("AutoExpand", 0x3800, 0));
    for (CFileFolder* p = pr.m_pPackages; p; p = p->m_pNext) {
      if (p->m_dwFlags & CFileFolder::kMain) p->m_dwFlags |= CFileFolder::kProtected;
      if (p->m_dwFlags & CFileFolder::kBillboard) p->m_dwFlags |= CFileFolder::kEarly;
    }
  }
  if (!v0B)
    for (CFileFolder* p = pr.m_pPackages; p; p = p->m_pNext) p->m_dwId = pr.m_dwNextPackageId++;

  pr.m_pRegistry = ar.ReadObjectAs<CRegistryKey>().release();
  pr.m_pGroups = ar.ReadObjectAs<CProgramGroup>().release();
  if (v0A) {
    pr.m_pIniFiles = ar.ReadObjectAs<CIniFiles>().release();
  } else {
    pr.m_pIniFiles = new CIniFiles;
    CKitwrightProject::AddDefaultIniFiles(*pr.m_pIniFiles);
  }
  pr.m_pOptions = v0B ? ar.ReadObjectAs<CCustomSetupOptions>().release() : new CCustomSetupOptions;

  if (flags & CKitwrightProject::kBitmapsPresent) {
    uint32_t n = ar.ReadDword();
    ar.RequireCount(n, 1);
    for (uint32_t i = 0; i < n; ++i) {
      std::string s = ar.ReadString();
      if (i < CKitwrightProject::kBitmapCount) pr.m_strBitmaps[i] = s;  // extra entries are dropped
    }
  }
  if (flags & CKitwrightProject::kCommonBitmapPresent) pr.m_strCommonBitmap = ar.ReadString();

  if (!v0B) {
    // Old files chose packages where newer ones choose options.
    const uint32_t keep = CFileFolder::kMain | CFileFolder::kBillboard | CFileFolder::kHidden | CFileFolder::kAutoExpand;
    for (CFileFolder* p = pr.m_pPackages; p; p = p->m_pNext) {
      if (p->m_dwFlags & keep) continue;
      auto* o = new CCustomSetupOption(p->m_strName.substr(0, 255).c_str());
      o->m_strDescription = p->m_strDescription;
      p->m_strDescription = "";
      o->AddPackageId(p->m_dwId);
      pr.m_pOptions->AddOption(o);
      if (p->m_dwFlags & CFileFolder::kDefaultSelected) o->ChangeFlags(0, CCustomSetupOption::kSelected);
      p->m_dwFlags &= ~CFileFolder::kDefaultSelected;
    }
  }
}

uint16_t LoadProjectContents(const uint8_t* data, size_t size, CKitwrightProject& into) {
  CKitwrightProject scratch;
  try {
    ReadProjectContents(data, size, scratch);
  } catch (const ArchiveError&) {
    return kProjectBadFormat;
  } catch (const std::bad_alloc&) {
    return kProjectOpenFailed;
  }
  into.TakeContentsFrom(scratch);
  return kProjectOk;
}

uint16_t SaveProjectCopy(CKitwrightProject& project, const std::string& path) {
  std::vector<uint8_t> bytes;
  try {
    bytes = WriteProjectContents(project);
  } catch (const ArchiveError&) {
    return kProjectSaveFailed;
  }
  // A missing folder is named as such on every platform, before the
  // compound file code gives its own, less telling, error for it.
  PathParts parts = SplitPath(path);
  std::string folder = parts.drive + parts.dir;
  std::error_code ec;
  if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) return kProjectBadPath;
  const std::string temp = path + ".kw~";
  CompoundError e = WriteCompoundStream(temp, kContents, bytes);
  if (e != CompoundError::None) {
    RemoveFile(temp);
    return CodeForWrite(e);
  }
  if (ReplaceFileWith(temp, path) != 0) {
    RemoveFile(temp);
    return kProjectWriteDenied;
  }
  return kProjectOk;
}

uint16_t SaveProject(CKitwrightProject& project, const std::string& path) {
  uint16_t code = SaveProjectCopy(project, path);
  if (code != kProjectOk) return code;
  project.SetPathName(path);
  project.CDocumentBase::SetModifiedFlag(false);
  return kProjectOk;
}

uint16_t LoadProject(CKitwrightProject& project, const std::string& path) {
  std::vector<uint8_t> bytes;
  CompoundError e = ReadCompoundStream(path, kContents, bytes, kMaxContentsSize);
  if (e != CompoundError::None) return CodeForRead(e);
  uint16_t code = LoadProjectContents(bytes.data(), bytes.size(), project);
  if (code != kProjectOk) return code;
  project.SetPathName(path);
  project.CDocumentBase::SetModifiedFlag(false);
  return kProjectOk;
}

}  // namespace kw
