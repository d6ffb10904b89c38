// CKitwrightProject: the one project document and its five item trees.
#pragma once
#include <cstdint>
#include <string>

#include "model/items.h"
#include "stream/qvstring.h"

// Lets the GUI hear of changes without the core knowing of windows.
class IProjectViews {
 public:
  virtual ~IProjectViews() = default;
  virtual void UpdateAllViews(uint32_t hint) = 0;
};

// The portable part of a framework document.
class CDocumentBase {
 public:
  virtual ~CDocumentBase() = default;
  bool IsModified() const { return m_bModified; }
  virtual void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
  const std::string& GetPathName() const { return m_strPathName; }
  void SetPathName(const std::string& path) { m_strPathName = path; }
  void SetViews(IProjectViews* views) { m_pViews = views; }
  void UpdateAllViews(uint32_t hint) {
    if (m_pViews) m_pViews->UpdateAllViews(hint);
  }

 private:
  bool m_bModified = false;
  std::string m_strPathName;
  IProjectViews* m_pViews = nullptr;
};

// Texts a new project takes from the UI resource library.
struct NewProjectTexts {
  std::string programFiles = "Program Files";  // string 50
  std::string helpFiles = "Help Files";        // string 51
  std::string sampleFiles = "Sample Files";    // string 52
};

class CKitwrightProject : public CDocumentBase {
 public:
  enum : uint16_t { kMagic = 0x9762, kVersion = 0x970B, kVersion970A = 0x970A, kVersion9709 = 0x9709 };
  enum : uint32_t {
    kDlgWelcome = 0x2, kDlgLicense = 0x4, kDlgReadme = 0x8, kDlgUserInfo = 0x10,
    kDlgDestination = 0x20, kDlgSetupType = 0x40, kDlgCustom = 0x80, kDlgProgramFolder = 0x100,
    kDlgStartCopy = 0x200, kDlgBillboards = 0x400, kDlgComplete = 0x800, kDlgPassword = 0x1000,
    kDlgUninstall = 0x2000, kBitmapsPresent = 0x4000, kUseCommonBitmap = 0x8000,
    kMinInstallTime = 0x10000, kCommonBitmapPresent = 0x20000, kReservedToSetup = 0x20000000,
    kExtraValue = 0x80000000,
  };
  static constexpr int kBitmapCount = 13;

  CKitwrightProject();
  ~CKitwrightProject() override;
  CKitwrightProject(const CKitwrightProject&) = delete;
  CKitwrightProject& operator=(const CKitwrightProject&) = delete;

  // Every default and the default trees.
  bool OnNewDocument(uint16_t setupLanguage = 1033, const NewProjectTexts& texts = NewProjectTexts());
  // Frees the five trees.
  void DeleteContents();
  // Takes the trees and fields of another project (used after a load into a
  // scratch project, so that a failed load leaves this one untouched).
  void TakeContentsFrom(CKitwrightProject& other);

  void SetModifiedFlag(bool modified = true) override;
  void ChangeFlags(uint32_t set, uint32_t clear) { m_dwFlags = (m_dwFlags | set) & ~clear; }
  uint32_t TakeNextPackageId();
  std::string GetOutputDirectory();
  // A source path as the builder opens it: relative paths are taken relative
  // to the folder of the project file.
  std::string ResolveSourcePath(const std::string& path) const;
  uint32_t ComputeFingerprint() const;
  bool NeedsRebuild();
  void MarkBuilt();

  // Fields, in the order the project file holds them.
  uint16_t m_wMagic = kMagic;
  uint16_t m_wVersion = kVersion;
  CQVString m_strProductName;
  CQVString m_strProductVersion;
  CQVString m_strCompanyName;
  uint16_t m_wSetupLanguage = 1033;
  uint16_t m_wOperatingSystem = 2;
  uint32_t m_dwFlags = 0x2B22;
  uint32_t m_dwExtraValue = 0;
  CQVString m_strSetupTitle;
  uint32_t m_dwShowTitleBar = 1;
  uint32_t m_dwGradient = 1;
  uint32_t m_dwGradientFrom = 0xFF0000;
  uint32_t m_dwGradientTo = 0;
  uint16_t m_wRequiredSystems = 6;
  uint16_t m_wMinNTVersion = 0x0333;
  uint16_t m_wMin95Version = 0x0400;
  uint16_t m_wMinWin32sVersion = 0x011E;
  uint16_t m_wProcessor = 386;
  uint32_t m_dwColors = 0;
  uint16_t m_wResolution = 0;
  uint32_t m_dwMathCoprocessor = 0;
  CQVString m_strReservedText;
  uint32_t m_dwReservedValue = 1;
  uint32_t m_tReservedTime = 0;
  CQVString m_strDefaultDir;
  CQVString m_strLicenseFile;
  CQVString m_strReadmeFile;
  CQVString m_strProgramFolder;
  uint32_t m_dwUserInfoMask = 0x13;
  CQVString m_strPassword;
  uint32_t m_tModified = 0;
  uint32_t m_tBuilt = 0;
  uint32_t m_dwFingerprint = 0;
  CQVString m_strCheckApps;
  uint32_t m_dwDiskSize = 1457664;
  uint32_t m_dwNextPackageId = 4;
  uint32_t m_dwMinInstallTime = 1;
  CQVString m_strBitmaps[kBitmapCount];
  CQVString m_strCommonBitmap;

  // The trees.
  CFileFolder* m_pPackages = nullptr;
  CRegistryKey* m_pRegistry = nullptr;
  CProgramGroup* m_pGroups = nullptr;
  CIniFiles* m_pIniFiles = nullptr;
  CCustomSetupOptions* m_pOptions = nullptr;

  std::string m_strOutputDir;

  static void AddDefaultIniFiles(CIniFiles& ini);
};
