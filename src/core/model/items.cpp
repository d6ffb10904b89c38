#include "model/items.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "model/itemstream.h"
#include "platform/text.h"

namespace {

// Doubly linked list helpers over m_pPrev / m_pNext.
template <typename T>
void ListAppend(T*& head, T* item) {
  item->m_pNext = nullptr;
  if (!head) {
    item->m_pPrev = nullptr;
    head = item;
    return;
  }
  T* last = head;
  while (last->m_pNext) last = last->m_pNext;
  last->m_pNext = item;
  item->m_pPrev = last;
}

template <typename T>
bool ListContains(const T* head, const T* item) {
  for (const T* p = head; p; p = p->m_pNext)
    if (p == item) return true;
  return false;
}

template <typename T>
bool ListUnlink(T*& head, T* item) {
  if (!item || !ListContains(head, item)) return false;
  if (item->m_pPrev) item->m_pPrev->m_pNext = item->m_pNext;
  else head = item->m_pNext;
  if (item->m_pNext) item->m_pNext->m_pPrev = item->m_pPrev;
  item->m_pPrev = item->m_pNext = nullptr;
  return true;
}

template <typename T>
void ListDelete(T*& head) {
  while (head) {
    T* next = head->m_pNext;
    delete head;
    head = next;
  }
}

template <typename T>
size_t ListCount(const T* head) {
  size_t n = 0;
  for (const T* p = head; p; p = p->m_pNext) ++n;
  return n;
}

template <typename T>
T* ListCopy(const T* head) {
  T* out = nullptr;
  for (const T* p = head; p; p = p->m_pNext) {
    T* c = new T;
    c->CopyFrom(*p);
    ListAppend(out, c);
  }
  return out;
}

template <typename T>
CSerialObject* Create() { return new T; }

// Deepest nesting of key and group trees a reader accepts; no real registry
// or Start menu comes near it, and it keeps recursion bounded.
constexpr size_t kMaxTreeDepth = 512;

// Smallest sizes of records, for checking counts against what is left.
constexpr uint64_t kMinIniValue = 4 + 1 + 1;
constexpr uint64_t kMinIniSection = 4 + 1 + 4;
constexpr uint64_t kMinIniFile = 4 + 1 + 4;
constexpr uint64_t kMinOption = 1 + 1 + 4 + 4 + 4;

// Key and group trees share one form: depth first, a record, then its
// children between 01 and 02; the root object's tree ends with 08.
template <typename T>
void WriteTreeList(ItemStream& s, const T* node, bool withSiblings) {
  for (; node; node = withSiblings ? node->m_pNext : nullptr) {
    node->WriteRecord(s);
    if (node->m_pChild) {
      s.WriteByte(0x01);
      WriteTreeList(s, node->m_pChild, true);
      s.WriteByte(0x02);
    }
  }
}

template <typename T>
void WriteTree(ItemStream& s, const T& root) {
  WriteTreeList(s, &root, false);
  s.WriteByte(0x08);
}

// Tag loop with an explicit stack: 01 opens the child list of the record
// read last, 02 or 08 closes the current list, anything else is a record.
// Records beside the root are read and dropped.
template <typename T>
void ReadTree(ItemStream& s, T& self) {
  std::vector<T*> parents{nullptr};  // owners of the open lists; null: top level
  T* last = nullptr;
  bool haveSelf = false;
  std::vector<std::unique_ptr<T>> strays;
  while (!parents.empty()) {
    uint8_t tag = s.ReadByte();
    if (tag == 0x01) {
      if (!last || parents.size() > kMaxTreeDepth) s.Fail();
      parents.push_back(last);
      last = nullptr;
      continue;
    }
    if (tag == 0x02 || tag == 0x08) {
      last = parents.back();
      parents.pop_back();
      continue;
    }
    T* parent = parents.back();
    T* node;
    if (parent) {
      node = new T;
      parent->AppendChild(node);
    } else if (!haveSelf) {
      node = &self;
      haveSelf = true;
    } else {
      strays.push_back(std::make_unique<T>());
      node = strays.back().get();
    }
    node->ReadRecord(s, tag);
    last = node;
  }
  if (!haveSelf) s.Fail();
}

}  // namespace

#define KW_IMPLEMENT_ITEM(cls) const RuntimeClass cls::classRuntime = {#cls, 1, &Create<cls>};
KW_IMPLEMENT_ITEM(CFileFolder)
KW_IMPLEMENT_ITEM(CFileItem)
KW_IMPLEMENT_ITEM(CRegistryKey)
KW_IMPLEMENT_ITEM(CRegistryValue)
KW_IMPLEMENT_ITEM(CProgramGroup)
KW_IMPLEMENT_ITEM(CProgramIcon)
KW_IMPLEMENT_ITEM(CIniFiles)
KW_IMPLEMENT_ITEM(CIniFile)
KW_IMPLEMENT_ITEM(CIniSection)
KW_IMPLEMENT_ITEM(CIniValue)
KW_IMPLEMENT_ITEM(CCustomSetupOption)
KW_IMPLEMENT_ITEM(CCustomSetupOptions)

const std::vector<const RuntimeClass*>& ProjectClasses() {
  static const std::vector<const RuntimeClass*> classes = {
      &CFileFolder::classRuntime,   &CFileItem::classRuntime,      &CRegistryKey::classRuntime,
      &CRegistryValue::classRuntime, &CProgramGroup::classRuntime, &CProgramIcon::classRuntime,
      &CIniFiles::classRuntime,     &CIniFile::classRuntime,       &CIniSection::classRuntime,
      &CIniValue::classRuntime,     &CCustomSetupOption::classRuntime,
      &CCustomSetupOptions::classRuntime};
  return classes;
}

void CKwItem::Serialize(ObjectArchive& ar) {
  ObjectItemStream s(ar);
  if (ar.IsStoring()) Write(s);
  else Read(s);
}

void CKwItem::Serialize(CQVArchive& ar) {
  SetupItemStream s(ar);
  if (s.IsStoring()) Write(s);
  else Read(s);
}

bool CopyToBuffer(const std::string& text, char* buffer, size_t size) {
  if (!buffer || size == 0) return false;
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return true;
}

// ---------------------------------------------------------------- CFileItem

CFileItem::CFileItem(const std::string& source, const std::string& destination)
    : m_strSource(source), m_strDestination(destination.empty() ? "%INSTALLDIR%" : destination) {}

bool CFileItem::SetSourcePath(const char* path) {
  if (!path) return false;
  m_strSource = path;
  return true;
}

bool CFileItem::SetDestination(const char* dest) {
  if (!dest) return false;
  m_strDestination = dest;
  return true;
}

std::string CFileItem::FileName() const {
  size_t p = m_strSource.find_last_of('\\');
  return p == std::string::npos ? m_strSource : m_strSource.substr(p + 1);
}

bool CFileItem::GetFileName(char* buffer, size_t size) const { return CopyToBuffer(FileName(), buffer, size); }

void CFileItem::CopyFrom(const CFileItem& o) {
  m_strSource = o.m_strSource;
  m_dwFlags = o.m_dwFlags;
  m_strDestination = o.m_strDestination;
  m_extra1 = o.m_extra1;
  m_extra2 = o.m_extra2;
  m_bHasVersion = o.m_bHasVersion;
  m_dwFileVersionMS = o.m_dwFileVersionMS;
  m_dwFileVersionLS = o.m_dwFileVersionLS;
  m_dwProductVersionMS = o.m_dwProductVersionMS;
  m_dwProductVersionLS = o.m_dwProductVersionLS;
  m_dwFileFlagsMask = o.m_dwFileFlagsMask;
  m_dwFileFlags = o.m_dwFileFlags;
  m_dwFileOS = o.m_dwFileOS;
  m_dwFileType = o.m_dwFileType;
  m_dwFileSubtype = o.m_dwFileSubtype;
  m_wLanguage = o.m_wLanguage;
  m_wCodePage = o.m_wCodePage;
  m_dwFileSize = o.m_dwFileSize;
  m_pPrev = m_pNext = nullptr;
}

void CFileItem::Write(ItemStream& s) const {
  s.WriteText(m_strSource);
  s.WriteDword(m_dwFlags);
  s.WriteText(m_strDestination);
  s.WriteByte(m_bHasVersion);
  if (m_bHasVersion) {
    for (uint32_t v : {m_dwFileVersionMS, m_dwFileVersionLS, m_dwProductVersionMS, m_dwProductVersionLS,
                       m_dwFileFlagsMask, m_dwFileFlags, m_dwFileOS, m_dwFileType, m_dwFileSubtype})
      s.WriteDword(v);
    s.WriteWord(m_wLanguage);
    s.WriteWord(m_wCodePage);
  }
  if (s.IsSetupStream()) s.WriteDword(m_dwFileSize);
}

void CFileItem::Read(ItemStream& s) {
  m_strSource = s.ReadText();
  m_dwFlags = s.ReadDword();
  m_strDestination = s.ReadText();
  m_extra1.reset();
  m_extra2.reset();
  m_bHasVersion = s.ReadByte();
  if (m_bHasVersion) {
    for (uint32_t* v : {&m_dwFileVersionMS, &m_dwFileVersionLS, &m_dwProductVersionMS, &m_dwProductVersionLS,
                        &m_dwFileFlagsMask, &m_dwFileFlags, &m_dwFileOS, &m_dwFileType, &m_dwFileSubtype})
      *v = s.ReadDword();
    m_wLanguage = s.ReadWord();
    m_wCodePage = s.ReadWord();
  }
  m_dwFileSize = s.IsSetupStream() ? s.ReadDword() : 0;
}

// ---------------------------------------------------------------- CFileFolder

CFileFolder::CFileFolder(const std::string& name, uint32_t flags, uint32_t id)
    : m_strName(name), m_dwFlags(flags), m_dwId(id) {}

CFileFolder::~CFileFolder() { DeleteFiles(); }

void CFileFolder::DeleteFiles() { ListDelete(m_pFiles); }

void DeletePackageList(CFileFolder* head) { ListDelete(head); }

void CFileFolder::AppendPackage(CFileFolder* package) {
  CFileFolder* head = this;
  while (head->m_pPrev) head = head->m_pPrev;
  ListAppend(head, package);
}

bool CFileFolder::RemovePackage(CFileFolder* package) {
  if (!package || package == this) return false;
  for (CFileFolder* p = m_pNext; p; p = p->m_pNext) {
    if (p == package) {
      p->m_pPrev->m_pNext = p->m_pNext;
      if (p->m_pNext) p->m_pNext->m_pPrev = p->m_pPrev;
      p->m_pPrev = p->m_pNext = nullptr;
      delete p;
      return true;
    }
  }
  return false;
}

CFileItem* CFileFolder::AddFile(const char* source, const char* destination) {
  if (!source) return nullptr;
  auto* f = new CFileItem(source, destination ? destination : "");
  ListAppend(m_pFiles, f);
  return f;
}

std::vector<CFileItem*> CFileFolder::AddFiles(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<CFileItem*> added;
  added.reserve(files.size());
  CFileItem* last = m_pFiles;
  while (last && last->m_pNext) last = last->m_pNext;
  for (const auto& f : files) {
    auto* item = new CFileItem(f.first, f.second);
    item->m_pPrev = last;
    item->m_pNext = nullptr;
    (last ? last->m_pNext : m_pFiles) = item;
    last = item;
    added.push_back(item);
  }
  return added;
}

void CFileFolder::AppendFile(CFileItem* file) {
  if (file) ListAppend(m_pFiles, file);
}

bool CFileFolder::RemoveFile(CFileItem* file) {
  if (!ListUnlink(m_pFiles, file)) return false;
  delete file;
  return true;
}

bool CFileFolder::HasFile(const CFileItem* file) const { return ListContains(m_pFiles, file); }
size_t CFileFolder::FileCount() const { return ListCount(m_pFiles); }

bool CFileFolder::SwapWithNext(CFileItem* a) {
  if (!a || !HasFile(a) || !a->m_pNext) return false;
  CFileItem* b = a->m_pNext;
  CFileItem* before = a->m_pPrev;
  CFileItem* after = b->m_pNext;
  if (before) before->m_pNext = b;
  else m_pFiles = b;
  b->m_pPrev = before;
  b->m_pNext = a;
  a->m_pPrev = b;
  a->m_pNext = after;
  if (after) after->m_pPrev = a;
  return true;
}

bool CFileFolder::SetName(const char* name) {
  if (!name) return false;
  m_strName = name;
  return true;
}

void CFileFolder::CopyFrom(const CFileFolder& o) {
  m_strName = o.m_strName;
  m_strDescription = o.m_strDescription;
  m_dwFlags = o.m_dwFlags;
  m_dwId = o.m_dwId;
  DeleteFiles();
  m_pFiles = ListCopy(o.m_pFiles);
}

void CFileFolder::Write(ItemStream& s) const {
  s.WriteByte(m_pFiles ? 1 : 0);
  s.WriteText(m_strName);
  // Both forms always carry the id: the custom options refer to packages by it.
  const uint32_t flags = m_dwFlags | kHasId;
  s.WriteDword(flags);
  s.WriteText(m_strDescription.str());
  if (m_pFiles) {
    for (const CFileItem* f = m_pFiles; f; f = f->m_pNext) {
      s.WriteByte(0x02);
      f->Write(s);
    }
    s.WriteByte(0x04);
  }
  if (flags & kHasId) s.WriteDword(m_dwId);
}

void CFileFolder::Read(ItemStream& s) {
  uint8_t hasFiles = s.ReadByte();
  m_strName = s.ReadText();
  m_dwFlags = s.ReadDword();
  uint32_t stored = m_dwFlags;
  if (s.IsSetupStream()) m_dwFlags &= ~kDefaultSelected;
  m_strDescription = s.ReadText();
  DeleteFiles();
  if (hasFiles) {
    for (;;) {
      uint8_t tag = s.ReadByte();
      if (tag == 0x04) break;
      if (tag != 0x02) continue;
      auto* f = new CFileItem;
      ListAppend(m_pFiles, f);  // owned before it is read, so a failure frees it
      f->Read(s);
    }
  }
  m_dwId = (stored & kHasId) ? s.ReadDword() : 0;
}

// ---------------------------------------------------------------- CRegistryValue

CRegistryValue::CRegistryValue(const char* name, const char* text) : m_dwType(kString) {
  SetName(name);
  SetString(text);
}

CRegistryValue::CRegistryValue(const char* name, uint32_t type) : m_dwType(type) { SetName(name); }

void CRegistryValue::SetName(const char* name) {
  if (name) m_name = name;
  else m_name.reset();
}

void CRegistryValue::SetString(const char* text) {
  if (text) m_strData = text;
  else m_strData.reset();
  m_dwNumber = 0;
  m_binary.reset();
}

void CRegistryValue::SetBinary(const void* data, uint32_t length) {
  if (data || length == 0) {
    auto* p = static_cast<const uint8_t*>(data);
    m_binary = std::vector<uint8_t>(p, p + (data ? length : 0));
  } else {
    m_binary.reset();
  }
  m_strData.reset();
  m_dwNumber = 0;
}

void CRegistryValue::SetNumber(uint32_t number) {
  m_dwNumber = number;
  m_strData.reset();
  m_binary.reset();
}

bool CRegistryValue::SetType(uint32_t type) {
  if (type != kString && type != kBinary && type != kNumber) return false;
  m_dwType = type;
  return true;
}

bool CRegistryValue::GetName(char* buffer, size_t size) const {
  return CopyToBuffer(m_name ? *m_name : std::string(), buffer, size);
}

void CRegistryValue::CopyFrom(const CRegistryValue& o) {
  m_name = o.m_name;
  m_dwType = o.m_dwType;
  m_strData = o.m_strData;
  m_dwNumber = o.m_dwNumber;
  m_binary = o.m_binary;
  m_dwFlags = o.m_dwFlags;
  m_pPrev = m_pNext = nullptr;
}

void CRegistryValue::Write(ItemStream& s) const {
  uint8_t tag = 0;
  if (!m_name) tag |= 0x01;
  if ((m_dwType == kString && !m_strData) || (m_dwType == kBinary && !m_binary)) tag |= 0x02;
  if (m_dwFlags) tag |= 0x04;
  s.WriteByte(tag);
  if (tag & 0x04) s.WriteDword(m_dwFlags);
  if (m_name) s.WriteText(*m_name);
  s.WriteDword(m_dwType);
  if (tag & 0x02) return;
  switch (m_dwType) {
    case kString: s.WriteText(*m_strData); break;
    case kBinary:
      s.WriteDword(static_cast<uint32_t>(m_binary->size()));
      s.WriteBytes(m_binary->data(), m_binary->size());
      break;
    case kNumber: s.WriteDword(m_dwNumber); break;
    default: break;
  }
}

void CRegistryValue::Read(ItemStream& s) {
  uint8_t tag = s.ReadByte();
  m_dwFlags = (tag & 0x04) ? s.ReadDword() : 0;
  if (tag & 0x01) m_name.reset();
  else m_name = s.ReadText();
  m_dwType = s.ReadDword();
  m_strData.reset();
  m_binary.reset();
  m_dwNumber = 0;
  bool noData = (tag & 0x02) != 0;
  switch (m_dwType) {
    case kString:
      if (!noData) m_strData = s.ReadText();
      break;
    case kBinary:
      if (!noData) {
        uint32_t n = s.ReadDword();
        s.RequireCount(n, 1);
        std::vector<uint8_t> data(n);
        if (n) s.ReadBytes(data.data(), n);
        m_binary = std::move(data);
      }
      break;
    case kNumber: m_dwNumber = s.ReadDword(); break;
    default: break;
  }
}

// ---------------------------------------------------------------- CRegistryKey

CRegistryKey::CRegistryKey(const char* name, uint32_t rootHandle) : m_dwRoot(rootHandle), m_strName(name ? name : "") {
  AppendValue(new CRegistryValue(nullptr, CRegistryValue::kString));
}

CRegistryKey::~CRegistryKey() {
  DeleteValues();
  ListDelete(m_pChild);
}

void CRegistryKey::DeleteValues() { ListDelete(m_pValues); }

CRegistryKey* CRegistryKey::AddChildKey(const char* name, uint32_t rootHandle) {
  auto* k = new CRegistryKey(name, rootHandle);
  AppendChildKey(k);
  return k;
}

void CRegistryKey::AppendChildKey(CRegistryKey* key) {
  key->m_pParent = this;
  ListAppend(m_pChild, key);
}

bool CRegistryKey::RemoveChildKey(CRegistryKey* key) {
  if (!ListUnlink(m_pChild, key)) return false;
  delete key;
  return true;
}

void CRegistryKey::AppendValue(CRegistryValue* value) {
  if (value) ListAppend(m_pValues, value);
}

bool CRegistryKey::RemoveValue(CRegistryValue* value) {
  if (!ListUnlink(m_pValues, value)) return false;
  delete value;
  return true;
}

bool CRegistryKey::SetName(const char* name) {
  if (!name) return false;
  m_strName = name;
  return true;
}

size_t CRegistryKey::ValueCount() const { return ListCount(m_pValues); }

void CRegistryKey::CopyFrom(const CRegistryKey& o) {
  m_strName = o.m_strName;
  m_dwRoot = o.m_dwRoot;
  m_dwFlags = o.m_dwFlags;
  DeleteValues();
  m_pValues = ListCopy(o.m_pValues);
  ListDelete(m_pChild);
  m_pParent = m_pPrev = m_pNext = nullptr;
}

void CRegistryKey::WriteRecord(ItemStream& s) const {
  uint8_t tag = 0;
  if (m_dwRoot == 0) tag |= 0x04;
  if (m_pValues) tag |= 0x10;
  s.WriteByte(tag);
  s.WriteText(m_strName);
  if (!(tag & 0x04)) s.WriteDword(m_dwRoot);
  s.WriteDword(m_dwFlags);
  if (m_pValues) {
    for (const CRegistryValue* v = m_pValues; v; v = v->m_pNext) {
      s.WriteByte(0x20);
      v->Write(s);
    }
    s.WriteByte(0x40);
  }
}

void CRegistryKey::ReadRecord(ItemStream& s, uint8_t tag) {
  m_strName = s.ReadText();
  m_dwRoot = (tag & 0x04) ? 0 : s.ReadDword();
  m_dwFlags = s.ReadDword();
  DeleteValues();
  if (tag & 0x10) {
    for (;;) {
      uint8_t t = s.ReadByte();
      if (t == 0x40) break;
      if (t != 0x20) continue;
      auto* v = new CRegistryValue;
      ListAppend(m_pValues, v);
      v->Read(s);
    }
  }
}

void CRegistryKey::Write(ItemStream& s) const { WriteTree(s, *this); }

void CRegistryKey::Read(ItemStream& s) {
  DeleteValues();
  ListDelete(m_pChild);
  ReadTree(s, *this);
}

// ---------------------------------------------------------------- CProgramIcon

namespace {
const char kIconMarker1[] = "\x97\x61";
const char kIconMarker2[] = "\x97\x61\x02";

bool EqualNoCase(const std::string& a, const char* b) {
  std::string x = a, y = b;
  kw::UpperAnsi(x);
  kw::UpperAnsi(y);
  return x == y;
}
}  // namespace

CProgramIcon::CProgramIcon(const char* name, const char* path)
    : m_strName(name ? name : ""), m_strPath(path ? path : "") {}

bool CProgramIcon::SetName(const char* name) {
  if (!name) return false;
  m_strName = name;
  return true;
}

bool CProgramIcon::SetPath(const char* path) {
  if (!path) return false;
  m_strPath = path;
  return true;
}

void CProgramIcon::CopyFrom(const CProgramIcon& o) {
  m_strName = o.m_strName;
  m_strPath = o.m_strPath;
  m_strParameters = o.m_strParameters;
  m_dwReserved = o.m_dwReserved;
  m_strIconPath = o.m_strIconPath;
  m_dwIconIndex = o.m_dwIconIndex;
  m_strWorkingDir = o.m_strWorkingDir;
  m_pPrev = m_pNext = nullptr;
}

void CProgramIcon::SwapContents(CProgramIcon& o) {
  std::swap(m_strName, o.m_strName);
  std::swap(m_strPath, o.m_strPath);
  std::swap(m_strParameters, o.m_strParameters);
  std::swap(m_dwReserved, o.m_dwReserved);
  std::swap(m_strIconPath, o.m_strIconPath);
  std::swap(m_dwIconIndex, o.m_dwIconIndex);
  std::swap(m_strWorkingDir, o.m_strWorkingDir);
}

void CProgramIcon::Write(ItemStream& s) const {
  s.WriteText(kIconMarker1);
  s.WriteText(m_strName);
  s.WriteText(m_strPath);
  s.WriteText(kIconMarker2);
  s.WriteText(m_strParameters);
  s.WriteDword(m_dwReserved);
  s.WriteText(m_strIconPath);
  s.WriteDword(m_dwIconIndex);
  s.WriteText(m_strWorkingDir);
}

void CProgramIcon::Read(ItemStream& s) {
  m_strParameters.clear();
  m_strIconPath.clear();
  m_strWorkingDir.clear();
  m_dwReserved = m_dwIconIndex = 0;
  std::string first = s.ReadText();
  if (!EqualNoCase(first, kIconMarker1)) {
    // Oldest layout: name and path only.
    m_strName = first;
    m_strPath = s.ReadText();
    return;
  }
  m_strName = s.ReadText();
  m_strPath = s.ReadText();
  std::string second = s.ReadText();
  if (!EqualNoCase(second, kIconMarker2)) {
    m_strParameters = second;
    return;
  }
  m_strParameters = s.ReadText();
  m_dwReserved = s.ReadDword();
  m_strIconPath = s.ReadText();
  m_dwIconIndex = s.ReadDword();
  m_strWorkingDir = s.ReadText();
}

// ---------------------------------------------------------------- CProgramGroup

CProgramGroup::CProgramGroup(const char* name, uint32_t flags) : m_strName(name ? name : ""), m_dwFlags(flags) {}

CProgramGroup::~CProgramGroup() {
  DeleteIcons();
  ListDelete(m_pChild);
}

void CProgramGroup::DeleteIcons() { ListDelete(m_pIcons); }

CProgramGroup* CProgramGroup::AddChildGroup(const char* name, uint32_t flags) {
  auto* g = new CProgramGroup(name, flags);
  AppendChildGroup(g);
  return g;
}

void CProgramGroup::AppendChildGroup(CProgramGroup* group) {
  group->m_pParent = this;
  ListAppend(m_pChild, group);
}

bool CProgramGroup::RemoveChildGroup(CProgramGroup* group) {
  if (!ListUnlink(m_pChild, group)) return false;
  delete group;
  return true;
}

void CProgramGroup::AppendIcon(CProgramIcon* icon) {
  if (icon) ListAppend(m_pIcons, icon);
}

CProgramIcon* CProgramGroup::AddIcon(const char* name, const char* path) {
  auto* i = new CProgramIcon(name, path);
  AppendIcon(i);
  return i;
}

bool CProgramGroup::RemoveIcon(CProgramIcon* icon) {
  if (!ListUnlink(m_pIcons, icon)) return false;
  delete icon;
  return true;
}

bool CProgramGroup::SetName(const char* name) {
  if (!name) return false;
  m_strName = name;
  return true;
}

size_t CProgramGroup::IconCount() const { return ListCount(m_pIcons); }

std::string CProgramGroup::GroupPath() const {
  std::string path;
  for (const CProgramGroup* g = this; g && g->m_pParent; g = g->m_pParent)
    path = g->m_strName.substr(0, 255) + "\\" + path;
  if (!path.empty()) path.pop_back();
  return path;
}

bool CProgramGroup::GetGroupPath(char* buffer, size_t size) const { return CopyToBuffer(GroupPath(), buffer, size); }

void CProgramGroup::SortIcons() {
  for (CProgramIcon* a = m_pIcons; a; a = a->m_pNext)
    for (CProgramIcon* b = a->m_pNext; b; b = b->m_pNext)
      if (kw::CompareTextLocale(a->m_strName, b->m_strName) > 0) a->SwapContents(*b);
}

bool CProgramGroup::IsEmpty() const {
  if (m_pIcons) return false;
  for (const CProgramGroup* c = m_pChild; c; c = c->m_pNext)
    if (!c->IsEmpty()) return false;
  return true;
}

void CProgramGroup::CopyFrom(const CProgramGroup& o) {
  m_strName = o.m_strName;
  m_dwFlags = o.m_dwFlags;
  DeleteIcons();
  m_pIcons = ListCopy(o.m_pIcons);
  ListDelete(m_pChild);
  m_pParent = m_pPrev = m_pNext = nullptr;
}

void CProgramGroup::WriteRecord(ItemStream& s) const {
  s.WriteByte(m_pIcons ? 0x04 : 0x00);
  s.WriteText(m_strName);
  s.WriteDword(m_dwFlags);
  if (m_pIcons) {
    for (const CProgramIcon* i = m_pIcons; i; i = i->m_pNext) {
      s.WriteByte(0x10);
      i->Write(s);
    }
    s.WriteByte(0x20);
  }
}

void CProgramGroup::ReadRecord(ItemStream& s, uint8_t tag) {
  m_strName = s.ReadText();
  m_dwFlags = s.ReadDword();
  DeleteIcons();
  if (tag & 0x04) {
    for (;;) {
      uint8_t t = s.ReadByte();
      if (t == 0x20) break;
      if (t != 0x10) continue;
      auto* i = new CProgramIcon;
      ListAppend(m_pIcons, i);
      i->Read(s);
    }
  }
}

void CProgramGroup::Write(ItemStream& s) const { WriteTree(s, *this); }

void CProgramGroup::Read(ItemStream& s) {
  DeleteIcons();
  ListDelete(m_pChild);
  ReadTree(s, *this);
}

// ---------------------------------------------------------------- INI files

void CIniValue::CopyFrom(const CIniValue& o) {
  m_dwFlags = o.m_dwFlags;
  m_strKey = o.m_strKey;
  m_strValue = o.m_strValue;
}

void CIniValue::Write(ItemStream& s) const {
  s.WriteDword(m_dwFlags);
  s.WriteText(m_strKey);
  s.WriteText(m_strValue);
}

void CIniValue::Read(ItemStream& s) {
  m_dwFlags = s.ReadDword();
  m_strKey = s.ReadText();
  m_strValue = s.ReadText();
}

CIniValue* CIniSection::Add(const char* key, const char* value) {
  auto* v = new CIniValue(key, value);
  m_values.Append(v);
  return v;
}

void CIniSection::CopyFrom(const CIniSection& o) {
  m_dwFlags = o.m_dwFlags;
  m_strName = o.m_strName;
  m_values.CopyFrom(o.m_values);
}

namespace {
template <typename T>
void WriteArray(ItemStream& s, const OwnedArray<T>& a) {
  s.WriteDword(static_cast<uint32_t>(a.Count()));
  for (const T* p : a.Items()) p->Write(s);
}

template <typename T>
void ReadArray(ItemStream& s, OwnedArray<T>& a, uint64_t minSize) {
  a.Clear();
  uint32_t n = s.ReadDword();
  s.RequireCount(n, minSize);
  for (uint32_t i = 0; i < n; ++i) {
    T* p = new T;
    a.Append(p);
    p->Read(s);
  }
}
}  // namespace

void CIniSection::Write(ItemStream& s) const {
  s.WriteDword(m_dwFlags);
  s.WriteText(m_strName);
  WriteArray(s, m_values);
}

void CIniSection::Read(ItemStream& s) {
  m_dwFlags = s.ReadDword();
  m_strName = s.ReadText();
  ReadArray(s, m_values, kMinIniValue);
}

CIniSection* CIniFile::Add(const char* section) {
  auto* p = new CIniSection(section);
  m_sections.Append(p);
  return p;
}

void CIniFile::CopyFrom(const CIniFile& o) {
  m_dwFlags = o.m_dwFlags;
  m_strName = o.m_strName;
  m_sections.CopyFrom(o.m_sections);
}

void CIniFile::Write(ItemStream& s) const {
  s.WriteDword(m_dwFlags);
  s.WriteText(m_strName);
  WriteArray(s, m_sections);
}

void CIniFile::Read(ItemStream& s) {
  m_dwFlags = s.ReadDword();
  m_strName = s.ReadText();
  ReadArray(s, m_sections, kMinIniSection);
}

CIniFile* CIniFiles::Add(const char* fileName) {
  auto* p = new CIniFile(fileName);
  m_files.Append(p);
  return p;
}

void CIniFiles::CopyFrom(const CIniFiles& o) {
  m_dwFlags = o.m_dwFlags;
  m_files.CopyFrom(o.m_files);
}

void CIniFiles::Write(ItemStream& s) const {
  s.WriteDword(m_dwFlags);
  WriteArray(s, m_files);
}

void CIniFiles::Read(ItemStream& s) {
  m_dwFlags = s.ReadDword();
  ReadArray(s, m_files, kMinIniFile);
}

// ---------------------------------------------------------------- custom options

bool CCustomSetupOption::AddPackageId(uint32_t id) {
  if (HasPackageId(id)) return false;
  m_packageIds.push_back(id);
  return true;
}

bool CCustomSetupOption::RemovePackageId(uint32_t id) {
  auto it = std::find(m_packageIds.begin(), m_packageIds.end(), id);
  if (it == m_packageIds.end()) return false;
  m_packageIds.erase(it);
  return true;
}

bool CCustomSetupOption::HasPackageId(uint32_t id) const {
  return std::find(m_packageIds.begin(), m_packageIds.end(), id) != m_packageIds.end();
}

void CCustomSetupOption::CopyFrom(const CCustomSetupOption& o) {
  m_strName = o.m_strName;
  m_strPassword = o.m_strPassword;
  m_digest = o.m_digest;
  m_strDescription = o.m_strDescription;
  m_dwFlags = o.m_dwFlags;
  m_dwGroupId = o.m_dwGroupId;
  m_packageIds = o.m_packageIds;
  m_dwUniqueId = o.m_dwUniqueId;
}

void CCustomSetupOption::PrepareDigest() {
  if (m_strPassword.IsEmpty()) return;
  m_dwFlags |= kHasPassword;
  m_strPassword.MakeLower();
  m_digest = kw::Md5(m_strPassword.c_str(), m_strPassword.GetLength());
}

void CCustomSetupOption::Write(ItemStream& s) const {
  const bool setup = s.IsSetupStream();
  s.WriteText(m_strName.str());
  if (!setup) s.WriteText(m_strPassword.str());
  s.WriteText(m_strDescription.str());
  s.WriteDword(m_dwFlags);
  s.WriteDword(m_dwGroupId);
  s.WriteDword(static_cast<uint32_t>(m_packageIds.size()));
  if (m_dwFlags & kHasUniqueId) s.WriteDword(m_dwUniqueId);
  for (uint32_t id : m_packageIds) s.WriteDword(id);
  if (setup && (m_dwFlags & kHasPassword)) s.WriteBytes(m_digest.data(), m_digest.size());
}

void CCustomSetupOption::Read(ItemStream& s) {
  const bool setup = s.IsSetupStream();
  m_strName = s.ReadText();
  m_strPassword = setup ? std::string() : s.ReadText();
  m_strDescription = s.ReadText();
  m_dwFlags = s.ReadDword();
  m_dwGroupId = s.ReadDword();
  uint32_t n = s.ReadDword();
  m_dwUniqueId = (m_dwFlags & kHasUniqueId) ? s.ReadDword() : 0;
  s.RequireCount(n, 4);
  m_packageIds.assign(n, 0);
  for (uint32_t i = 0; i < n; ++i) m_packageIds[i] = s.ReadDword();
  m_digest = {};
  if (setup && (m_dwFlags & kHasPassword)) s.ReadBytes(m_digest.data(), m_digest.size());
}

void CCustomSetupOptions::AssignUniqueId(CCustomSetupOption& option) const {
  if (option.m_dwFlags & CCustomSetupOption::kHasUniqueId) return;
  // Smallest id from 1 that no option holding an id uses. Every holder counts,
  // not only those before it, so a damaged file cannot produce a duplicate.
  for (uint32_t id = 1;; ++id) {
    bool used = false;
    for (const CCustomSetupOption* o : m_options.Items()) {
      if (o != &option && (o->m_dwFlags & CCustomSetupOption::kHasUniqueId) && o->m_dwUniqueId == id) {
        used = true;
        break;
      }
    }
    if (!used) {
      option.m_dwUniqueId = id;
      break;
    }
  }
  option.m_dwFlags |= CCustomSetupOption::kHasUniqueId;
}

void CCustomSetupOptions::AddOption(CCustomSetupOption* option) {
  if (!option) return;
  m_options.Append(option);
  AssignUniqueId(*option);
}

CCustomSetupOption* CCustomSetupOptions::AddOption(const char* name) {
  auto* o = new CCustomSetupOption(name);
  AddOption(o);
  return o;
}

void CCustomSetupOptions::CopyFrom(const CCustomSetupOptions& o) {
  m_dwFlags = o.m_dwFlags;
  m_options.CopyFrom(o.m_options);
}

void CCustomSetupOptions::Write(ItemStream& s) const {
  s.WriteDword(m_dwFlags);
  WriteArray(s, m_options);
}

void CCustomSetupOptions::Read(ItemStream& s) {
  m_dwFlags = s.ReadDword();
  ReadArray(s, m_options, kMinOption);
  for (CCustomSetupOption* o : m_options.Items()) AssignUniqueId(*o);
}

// ---------------------------------------------------------------- deep copies

CFileFolder* CopyPackageList(const CFileFolder* head) { return ListCopy(head); }

namespace {
template <typename T>
T* CopyTree(const T& node, size_t depth) {
  T* c = new T;
  c->CopyFrom(node);
  if (depth < kMaxTreeDepth * 2) {
    for (const T* ch = node.m_pChild; ch; ch = ch->m_pNext) {
      T* cc = CopyTree(*ch, depth + 1);
      cc->m_pParent = c;
      ListAppend(c->m_pChild, cc);
    }
  }
  return c;
}
}  // namespace

CRegistryKey* CopyKeyTree(const CRegistryKey& root) { return CopyTree(root, 0); }
CProgramGroup* CopyGroupTree(const CProgramGroup& root) { return CopyTree(root, 0); }

void DeleteTrees(CFileFolder*& packages, CRegistryKey*& registry, CProgramGroup*& groups, CIniFiles*& ini,
                 CCustomSetupOptions*& options) {
  ListDelete(packages);
  delete registry;
  registry = nullptr;
  delete groups;
  groups = nullptr;
  delete ini;
  ini = nullptr;
  delete options;
  options = nullptr;
}
