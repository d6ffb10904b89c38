// CSetupData: the record of one built setup, written as SETUP.INF.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/items.h"
#include "platform/md5.h"
#include "stream/qvobject.h"
#include "stream/qvstring.h"

class CKitwrightProject;
class CQVArchive;

class CSetupData : public CQVObject {
 public:
  enum : uint16_t { kFormat = 0x9762 };
  static constexpr int kBitmapSlots = 13;
  static constexpr char kSignature[4] = {'Q', 'V', 'J', 'N'};

  // A bitmap file that was to be stored cannot be read.
  class CBitmapError : public std::runtime_error {
   public:
    explicit CBitmapError(const std::string& path) : std::runtime_error(path) {}
  };

  CSetupData();
  ~CSetupData() override;
  CSetupData(const CSetupData&) = delete;
  CSetupData& operator=(const CSetupData&) = delete;

  // Copies the project's fields and deep copies of its trees. The licence
  // and readme texts and the bitmaps are taken from their files when written.
  void CopyFromProject(const CKitwrightProject& project);

  // Writes or reads every field in order. Reading checks every length and
  // count; a damaged record throws CQVArchive::CXQVArchive.
  void Serialize(CQVArchive& ar) override;

  // Writes the record to a file (signature first); throws CXQVArchive.
  void WriteFile(const std::string& path);
  // Reads a file; throws CXQVArchive when it is no complete record.
  void ReadFile(const std::string& path);

  bool TestPassword(const char* candidate) const;
  static kw::Md5Digest PasswordDigest(const std::string& password);

  void Clear();

  uint16_t m_wFormat = kFormat;
  CQVString m_strProductName, m_strProductVersion, m_strCompanyName;
  uint32_t m_dwFlags = 0;
  uint32_t m_dwExtraValue = 0;
  CQVString m_strSetupTitle;
  uint32_t m_dwShowTitleBar = 0, m_dwGradient = 0;
  uint32_t m_dwGradientFrom = 0, m_dwGradientTo = 0;
  uint16_t m_wOperatingSystem = 0, m_wRequiredSystems = 0, m_wMinNTVersion = 0, m_wMin95Version = 0,
           m_wMinWin32sVersion = 0, m_wProcessor = 0;
  uint32_t m_dwColors = 0;
  uint16_t m_wResolution = 0, m_wMathCoprocessor = 0;
  CQVString m_strReservedText;
  uint32_t m_dwReservedValue = 0, m_tReservedTime = 0;
  CQVString m_strCheckApps, m_strDefaultDir;
  // Writing: the file names; reading: the texts themselves.
  CQVString m_strLicenseFile, m_strReadmeFile;
  CQVString m_strLicenseText, m_strReadmeText;
  CQVString m_strProgramFolder;
  uint32_t m_dwUserInfoMask = 0;
  CQVString m_strPassword;          // writing side only
  kw::Md5Digest m_passwordDigest{};
  uint32_t m_dwMinInstallTime = 0;
  uint32_t m_tBuildTime = 0;

  CFileFolder* m_pPackages = nullptr;
  CRegistryKey* m_pRegistry = nullptr;
  CProgramGroup* m_pGroups = nullptr;
  CIniFiles* m_pIniFiles = nullptr;
  CCustomSetupOptions* m_pOptions = nullptr;

  // Writing: bitmap paths; reading: shared blocks (a repeated slot points at
  // the block of the earlier one).
  std::string m_strBitmaps[kBitmapSlots];
  std::string m_strCommonBitmap;
  std::shared_ptr<const std::vector<uint8_t>> m_bitmaps[kBitmapSlots];

 private:
  void Write(CQVArchive& ar);
  void Read(CQVArchive& ar);
  void WriteBitmapFile(CQVArchive& ar, const std::string& path);
};
