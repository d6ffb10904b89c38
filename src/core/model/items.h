// The project's item classes: packages and files, registry keys and values,
// program groups and icons, INI files, custom setup options.
//
// Containers own their children. Lists are doubly linked through raw links,
// as the views walk them; the INI and option arrays are vectors of owned
// pointers. Operations that can fail return false and change nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/md5.h"
#include "stream/objarchive.h"
#include "stream/qvobject.h"
#include "stream/qvstring.h"

class ItemStream;

// Base of every item: tagged in the project file, streamed into the setup
// stream. Each item has one routine per direction for both streams.
class CKwItem : public CSerialObject, public CQVObject {
 public:
  void Serialize(ObjectArchive& ar) override;
  void Serialize(CQVArchive& ar) override;
  virtual void Write(ItemStream& s) const = 0;
  virtual void Read(ItemStream& s) = 0;
};

#define KW_DECLARE_ITEM(cls)                                          \
 public:                                                              \
  static const RuntimeClass classRuntime;                             \
  const RuntimeClass& GetRuntimeClass() const override { return classRuntime; } \
  void Write(ItemStream& s) const override;                           \
  void Read(ItemStream& s) override;

// Copies the part of a text that fits into a caller buffer of size bytes.
bool CopyToBuffer(const std::string& text, char* buffer, size_t size);

// ---------------------------------------------------------------- files

class CFileItem : public CKwItem {
  KW_DECLARE_ITEM(CFileItem)
 public:
  enum : uint32_t {
    kCompress = 0x0001, kVersionCheck = 0x0002, kRequirePassword = 0x0004,
    kSelfRegister = 0x0008, kShared = 0x0010, kNoUninstall = 0x0800, kNoOverwrite = 0x1000,
  };
  CFileItem() = default;
  CFileItem(const std::string& source, const std::string& destination);

  bool SetSourcePath(const char* path);
  bool SetDestination(const char* dest);
  bool GetFileName(char* buffer, size_t size) const;
  std::string FileName() const;
  void ChangeFlags(uint32_t clear, uint32_t set) { m_dwFlags = (m_dwFlags & ~clear) | set; }
  void CopyFrom(const CFileItem& other);

  std::string m_strSource;
  uint32_t m_dwFlags = kCompress;
  std::string m_strDestination = "%INSTALLDIR%";
  std::optional<std::string> m_extra1, m_extra2;  // not stored in the project file
  uint8_t m_bHasVersion = 0;
  uint32_t m_dwFileVersionMS = 0, m_dwFileVersionLS = 0;
  uint32_t m_dwProductVersionMS = 0, m_dwProductVersionLS = 0;
  uint32_t m_dwFileFlagsMask = 0, m_dwFileFlags = 0, m_dwFileOS = 0;
  uint32_t m_dwFileType = 0, m_dwFileSubtype = 0;
  uint16_t m_wLanguage = 0;
  uint16_t m_wCodePage = 1252;
  uint32_t m_dwFileSize = 0;  // filled by the builder; setup stream only
  CFileItem* m_pPrev = nullptr;
  CFileItem* m_pNext = nullptr;
};

class CFileFolder : public CKwItem {
  KW_DECLARE_ITEM(CFileFolder)
 public:
  enum : uint32_t {
    kMain = 0x0001, kTypical = 0x0010, kCompact = 0x0020, kAlways = 0x0040,
    kDefaultSelected = 0x0080, kBillboard = 0x0100, kHidden = 0x0200,
    kAutoExpand = 0x0800, kEarly = 0x1000, kProtected = 0x2000, kHasId = 0x4000,
  };
  CFileFolder() = default;
  CFileFolder(const std::string& name, uint32_t flags, uint32_t id);
  ~CFileFolder() override;
  CFileFolder(const CFileFolder&) = delete;
  CFileFolder& operator=(const CFileFolder&) = delete;

  // Package list operations (the list that contains this package).
  void AppendPackage(CFileFolder* package);
  // Called on the first package: removes and deletes a later package.
  bool RemovePackage(CFileFolder* package);

  CFileItem* AddFile(const char* source, const char* destination = nullptr);
  void AppendFile(CFileItem* file);
  // Appends many files (source, destination) in order, walking the list once.
  std::vector<CFileItem*> AddFiles(const std::vector<std::pair<std::string, std::string>>& files);
  bool RemoveFile(CFileItem* file);
  bool HasFile(const CFileItem* file) const;
  size_t FileCount() const;
  // Exchanges a file with its next neighbour in the list (billboard order).
  bool SwapWithNext(CFileItem* file);

  bool SetName(const char* name);
  void SetDescription(const char* text) { m_strDescription = text; }
  void SetFlags(uint32_t flags) { m_dwFlags = flags; }
  void ChangeFlags(uint32_t clear, uint32_t set) { m_dwFlags = (m_dwFlags & ~clear) | set; }
  void SetId(uint32_t id) { m_dwId = id; }
  // Copies fields and a deep copy of the files; not the list links.
  void CopyFrom(const CFileFolder& other);
  void DeleteFiles();

  std::string m_strName;
  uint32_t m_dwFlags = 0;
  CQVString m_strDescription;
  uint32_t m_dwId = 0;
  CFileFolder* m_pPrev = nullptr;
  CFileFolder* m_pNext = nullptr;
  CFileItem* m_pFiles = nullptr;
};

// Deletes a whole package list from its head.
void DeletePackageList(CFileFolder* head);

// ---------------------------------------------------------------- registry

class CRegistryValue : public CKwItem {
  KW_DECLARE_ITEM(CRegistryValue)
 public:
  enum : uint32_t { kString = 1, kBinary = 3, kNumber = 4 };
  enum : uint32_t { kNoOverwrite = 0x0001 };
  CRegistryValue() = default;
  CRegistryValue(const char* name, const char* text);       // a string value
  CRegistryValue(const char* name, uint32_t type);          // no data

  void SetName(const char* name);
  void SetString(const char* text);
  void SetBinary(const void* data, uint32_t length);
  void SetNumber(uint32_t number);
  bool SetType(uint32_t type);
  void ChangeFlags(uint32_t clear, uint32_t set) { m_dwFlags = (m_dwFlags & ~clear) | set; }
  bool GetName(char* buffer, size_t size) const;
  bool IsDefault() const { return !m_name; }
  void CopyFrom(const CRegistryValue& other);

  std::optional<std::string> m_name;  // none: the key's default value
  uint32_t m_dwType = kString;
  std::optional<std::string> m_strData;
  uint32_t m_dwNumber = 0;
  std::optional<std::vector<uint8_t>> m_binary;
  uint32_t m_dwFlags = 0;
  CRegistryValue* m_pPrev = nullptr;
  CRegistryValue* m_pNext = nullptr;
};

class CRegistryKey : public CKwItem {
  KW_DECLARE_ITEM(CRegistryKey)
 public:
  enum : uint32_t { kInvisibleRoot = 0xDEADBABE };
  enum : uint32_t { kRemoveOnUninstall = 0x0001 };
  CRegistryKey() = default;
  // A new key holds its default value.
  CRegistryKey(const char* name, uint32_t rootHandle);
  ~CRegistryKey() override;
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  CRegistryKey* AddChildKey(const char* name, uint32_t rootHandle = 0);
  void AppendChildKey(CRegistryKey* key);
  bool RemoveChildKey(CRegistryKey* key);
  void AppendValue(CRegistryValue* value);
  bool RemoveValue(CRegistryValue* value);
  bool SetName(const char* name);
  void ChangeFlags(uint32_t clear, uint32_t set) { m_dwFlags = (m_dwFlags & ~clear) | set; }
  // Name, root handle, flags and a deep copy of the values; no children.
  void CopyFrom(const CRegistryKey& other);
  size_t ValueCount() const;
  // Parts of the tree form shared with the program groups.
  void AppendChild(CRegistryKey* key) { AppendChildKey(key); }
  void WriteRecord(ItemStream& s) const;
  void ReadRecord(ItemStream& s, uint8_t tag);

  uint32_t m_dwRoot = 0;
  std::string m_strName;
  uint32_t m_dwFlags = 0;
  CRegistryKey* m_pParent = nullptr;
  CRegistryKey* m_pChild = nullptr;
  CRegistryKey* m_pPrev = nullptr;
  CRegistryKey* m_pNext = nullptr;
  CRegistryValue* m_pValues = nullptr;

 private:
  void DeleteValues();
};

// ---------------------------------------------------------------- program icons

class CProgramIcon : public CKwItem {
  KW_DECLARE_ITEM(CProgramIcon)
 public:
  CProgramIcon() = default;
  CProgramIcon(const char* name, const char* path);
  bool SetName(const char* name);
  bool SetPath(const char* path);
  void SetParameters(const char* text) { m_strParameters = text ? text : ""; }
  void SetIconPath(const char* text) { m_strIconPath = text ? text : ""; }
  void SetWorkingDir(const char* text) { m_strWorkingDir = text ? text : ""; }
  void SetIconIndex(uint32_t index) { m_dwIconIndex = index; }
  void CopyFrom(const CProgramIcon& other);
  // Exchanges every field but the list links.
  void SwapContents(CProgramIcon& other);

  std::string m_strName;
  std::string m_strPath;
  std::string m_strParameters;
  uint32_t m_dwReserved = 0;
  std::string m_strIconPath;
  uint32_t m_dwIconIndex = 0;
  std::string m_strWorkingDir;
  CProgramIcon* m_pPrev = nullptr;
  CProgramIcon* m_pNext = nullptr;
};

class CProgramGroup : public CKwItem {
  KW_DECLARE_ITEM(CProgramGroup)
 public:
  enum : uint32_t { kDefaultFolder = 0x1, kFixed = 0x2 };
  CProgramGroup() = default;
  CProgramGroup(const char* name, uint32_t flags);
  ~CProgramGroup() override;
  CProgramGroup(const CProgramGroup&) = delete;
  CProgramGroup& operator=(const CProgramGroup&) = delete;

  CProgramGroup* AddChildGroup(const char* name, uint32_t flags = 0);
  void AppendChildGroup(CProgramGroup* group);
  bool RemoveChildGroup(CProgramGroup* group);
  void AppendIcon(CProgramIcon* icon);
  CProgramIcon* AddIcon(const char* name, const char* path);
  bool RemoveIcon(CProgramIcon* icon);
  bool SetName(const char* name);
  void ChangeFlags(uint32_t clear, uint32_t set) { m_dwFlags = (m_dwFlags & ~clear) | set; }
  bool GetGroupPath(char* buffer, size_t size) const;
  std::string GroupPath() const;
  void SortIcons();
  bool IsEmpty() const;
  size_t IconCount() const;
  // Name, flags and a deep copy of the icons; no children.
  void CopyFrom(const CProgramGroup& other);
  void AppendChild(CProgramGroup* group) { AppendChildGroup(group); }
  void WriteRecord(ItemStream& s) const;
  void ReadRecord(ItemStream& s, uint8_t tag);

  std::string m_strName;
  uint32_t m_dwFlags = 0;
  CProgramGroup* m_pParent = nullptr;
  CProgramGroup* m_pChild = nullptr;
  CProgramGroup* m_pPrev = nullptr;
  CProgramGroup* m_pNext = nullptr;
  CProgramIcon* m_pIcons = nullptr;

 private:
  void DeleteIcons();
};

// ---------------------------------------------------------------- INI files

class CIniValue : public CKwItem {
  KW_DECLARE_ITEM(CIniValue)
 public:
  CIniValue() = default;
  CIniValue(const char* key, const char* value) : m_strKey(key ? key : ""), m_strValue(value ? value : "") {}
  void SetKey(const char* key) { m_strKey = key ? key : ""; }
  void SetValue(const char* value) { m_strValue = value ? value : ""; }
  bool GetKey(char* buffer, size_t size) const { return CopyToBuffer(m_strKey, buffer, size); }
  bool GetValue(char* buffer, size_t size) const { return CopyToBuffer(m_strValue, buffer, size); }
  void ChangeFlags(uint32_t clear, uint32_t set) { m_dwFlags = (m_dwFlags & ~clear) | set; }
  void CopyFrom(const CIniValue& other);

  uint32_t m_dwFlags = 0;
  std::string m_strKey;
  std::string m_strValue;
};

// An owned array of children with the add/remove/count/at operations.
template <typename T>
class OwnedArray {
 public:
  OwnedArray() = default;
  ~OwnedArray() { Clear(); }
  OwnedArray(const OwnedArray&) = delete;
  OwnedArray& operator=(const OwnedArray&) = delete;
  void Append(T* item) { items_.push_back(item); }
  bool Remove(T* item) {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i] == item) {
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
        delete item;
        return true;
      }
    }
    return false;
  }
  size_t Count() const { return items_.size(); }
  T* At(size_t i) const { return i < items_.size() ? items_[i] : nullptr; }
  void Clear() {
    for (T* p : items_) delete p;
    items_.clear();
  }
  void CopyFrom(const OwnedArray& other) {
    Clear();
    for (const T* p : other.items_) {
      T* c = new T;
      c->CopyFrom(*p);
      items_.push_back(c);
    }
  }
  const std::vector<T*>& Items() const { return items_; }

 private:
  std::vector<T*> items_;
};

class CIniSection : public CKwItem {
  KW_DECLARE_ITEM(CIniSection)
 public:
  CIniSection() = default;
  explicit CIniSection(const char* name) : m_strName(name ? name : "") {}
  CIniValue* Add(const char* key, const char* value);
  bool Remove(CIniValue* value) { return m_values.Remove(value); }
  size_t Count() const { return m_values.Count(); }
  CIniValue* At(size_t i) const { return m_values.At(i); }
  void SetName(const char* name) { m_strName = name ? name : ""; }
  void CopyFrom(const CIniSection& other);

  uint32_t m_dwFlags = 0;
  std::string m_strName;
  OwnedArray<CIniValue> m_values;
};

class CIniFile : public CKwItem {
  KW_DECLARE_ITEM(CIniFile)
 public:
  CIniFile() = default;
  explicit CIniFile(const char* name) : m_strName(name ? name : "") {}
  CIniSection* Add(const char* section);
  bool Remove(CIniSection* section) { return m_sections.Remove(section); }
  size_t Count() const { return m_sections.Count(); }
  CIniSection* At(size_t i) const { return m_sections.At(i); }
  void SetName(const char* name) { m_strName = name ? name : ""; }
  void CopyFrom(const CIniFile& other);

  uint32_t m_dwFlags = 0;
  std::string m_strName;
  OwnedArray<CIniSection> m_sections;
};

class CIniFiles : public CKwItem {
  KW_DECLARE_ITEM(CIniFiles)
 public:
  CIniFile* Add(const char* fileName);
  bool Remove(CIniFile* file) { return m_files.Remove(file); }
  size_t Count() const { return m_files.Count(); }
  CIniFile* At(size_t i) const { return m_files.At(i); }
  void CopyFrom(const CIniFiles& other);

  uint32_t m_dwFlags = 0;
  OwnedArray<CIniFile> m_files;
};

// ---------------------------------------------------------------- custom options

class CCustomSetupOption : public CKwItem {
  KW_DECLARE_ITEM(CCustomSetupOption)
 public:
  enum : uint32_t { kSelected = 0x0001, kSetupcPassword = 0x0002, kHasUniqueId = 0x0004, kHasPassword = 0x0008 };
  CCustomSetupOption() = default;
  explicit CCustomSetupOption(const char* name) : m_strName(name) {}
  void SetName(const char* name) { m_strName = name; }
  void SetPassword(const char* pw) { m_strPassword = pw; }
  void SetDescription(const char* d) { m_strDescription = d; }
  void SetGroupId(uint32_t id) { m_dwGroupId = id; }
  void ChangeFlags(uint32_t clear, uint32_t set) { m_dwFlags = (m_dwFlags & ~clear) | set; }
  bool AddPackageId(uint32_t id);
  bool RemovePackageId(uint32_t id);
  bool HasPackageId(uint32_t id) const;
  void CopyFrom(const CCustomSetupOption& other);
  // Lower-cases the password and keeps its digest, for the setup stream.
  void PrepareDigest();

  CQVString m_strName;
  CQVString m_strPassword;
  kw::Md5Digest m_digest{};
  CQVString m_strDescription;
  uint32_t m_dwFlags = 0;
  uint32_t m_dwGroupId = 0;
  std::vector<uint32_t> m_packageIds;
  uint32_t m_dwUniqueId = 0;
};

class CCustomSetupOptions : public CKwItem {
  KW_DECLARE_ITEM(CCustomSetupOptions)
 public:
  // Takes the option and gives it its unique id when it has none.
  void AddOption(CCustomSetupOption* option);
  CCustomSetupOption* AddOption(const char* name);
  bool RemoveOption(CCustomSetupOption* option) { return m_options.Remove(option); }
  size_t Count() const { return m_options.Count(); }
  CCustomSetupOption* At(size_t i) const { return m_options.At(i); }
  void CopyFrom(const CCustomSetupOptions& other);

  uint32_t m_dwFlags = 0;
  OwnedArray<CCustomSetupOption> m_options;

 private:
  void AssignUniqueId(CCustomSetupOption& option) const;
};

// The run-time classes a project file may hold.
const std::vector<const RuntimeClass*>& ProjectClasses();

// Deletes the five trees of a project or setup record and clears the links.
void DeleteTrees(CFileFolder*& packages, CRegistryKey*& registry, CProgramGroup*& groups, CIniFiles*& ini,
                 CCustomSetupOptions*& options);

// Deep copies of whole trees and lists, for the builder's setup record.
CFileFolder* CopyPackageList(const CFileFolder* head);
CRegistryKey* CopyKeyTree(const CRegistryKey& root);
CProgramGroup* CopyGroupTree(const CProgramGroup& root);
