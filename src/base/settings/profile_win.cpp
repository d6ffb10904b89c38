// Settings store over the registry and the private-profile calls.
#include "profile.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Set once at start-up, before anything reads settings.
std::string g_registryBase;  // printf format ending in "%s"; empty: no registry
std::string g_iniFile;       // empty: WIN.INI

ProfilePlatformQuery g_platformQuery = nullptr;

bool SystemIsWin32s() {
  static const bool win32s = [] {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
      return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32s;
  }();
  return win32s;
}

bool IsWin32s() { return g_platformQuery ? g_platformQuery() : SystemIsWin32s(); }

constexpr size_t kKeyPathSize = 256;

// Where one call goes, after its section prefix has been read.
struct Target {
  bool registry = false;
  HKEY root = HKEY_LOCAL_MACHINE;
  char keyPath[kKeyPathSize] = {};
  bool iniPrefix = false;
  const char* section = nullptr;  // without its prefix
  bool valid = true;              // false: the key path did not fit
};

Target Resolve(const char* section) {
  Target t;
  t.section = section;
  if (section && section[0] && section[1] == ':') {
    char letter = section[0];
    if (letter == 'I' || letter == 'i')
      t.iniPrefix = true;
    else if (letter == 'U' || letter == 'u')
      t.root = HKEY_CURRENT_USER;
    t.section += 2;
  }
  if (!IsWin32s() && !t.iniPrefix && !g_registryBase.empty()) {
    t.registry = true;
    if (!section) {
      t.valid = false;
      return t;
    }
    int n = std::snprintf(t.keyPath, sizeof t.keyPath, g_registryBase.c_str(), t.section);
    // A truncated path would name some other key: refuse it instead.
    if (n < 0 || static_cast<size_t>(n) >= sizeof t.keyPath)
      t.valid = false;
  }
  return t;
}

// The INI file of a call that does not use the registry; null means WIN.INI.
const char* IniFileFor(const Target& t, const char* callerFile) {
  if (t.iniPrefix)
    return callerFile;
  return g_iniFile.empty() ? nullptr : g_iniFile.c_str();
}

bool UsesPrivateProfile(const Target& t) { return t.iniPrefix || !g_iniFile.empty(); }

// An owned, open registry key.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (key_)
      RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  bool Open(HKEY root, const char* path, REGSAM access) {
    return RegOpenKeyExA(root, path, 0, access, &key_) == ERROR_SUCCESS;
  }
  bool Create(HKEY root, const char* path) {
    DWORD disposition = 0;
    return RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, &key_, &disposition) == ERROR_SUCCESS;
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Copies the default into the buffer, always zero-terminated when size > 0.
void CopyDefault(const char* defaultValue, char* buffer, unsigned int size) {
  if (!buffer || size == 0)
    return;
  const char* from = defaultValue ? defaultValue : "";
  size_t n = std::strlen(from);
  if (n >= size)
    n = size - 1;
  std::memcpy(buffer, from, n);
  buffer[n] = '\0';
}

// Lists the key's value names as a zero-separated, double-zero-ended list.
// Returns false when the key has no values.
bool ListValueNames(HKEY key, char* buffer, unsigned int size) {
  if (size < 2)
    return false;
  size_t pos = 0;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = sizeof name;
    LONG rc = RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA)
      continue;  // a name longer than the name buffer is left out
    if (rc != ERROR_SUCCESS)
      break;
    // Stop before a name that would leave no room for the final zero.
    if (nameLength + pos + 1 >= size - 1)
      break;
    std::memcpy(buffer + pos, name, nameLength);
    pos += nameLength;
    buffer[pos++] = '\0';
  }
  if (pos == 0)
    return false;
  buffer[pos] = '\0';
  return true;
}

}  // namespace

void ProfileSetRegistryBase(const char* keyPath) {
  g_registryBase.clear();
  if (!keyPath)
    return;
  // The key path becomes part of a format: double its own percent signs.
  for (const char* p = keyPath; *p; ++p) {
    g_registryBase += *p;
    if (*p == '%')
      g_registryBase += '%';
  }
  g_registryBase += "\\%s";
}

void ProfileSetIniFile(const char* fileName) { g_iniFile = fileName ? fileName : ""; }

void ProfileSetPlatformQuery(ProfilePlatformQuery isWin32s) { g_platformQuery = isWin32s; }

unsigned int ProfileGetInt(const char* section, const char* entry, int defaultValue,
                           const char* iniFile) {
  Target t = Resolve(section);
  if (t.registry) {
    if (!t.valid)
      return static_cast<unsigned int>(defaultValue);
    RegKey key;
    if (!key.Open(t.root, t.keyPath, KEY_READ))
      return static_cast<unsigned int>(defaultValue);
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key.get(), entry, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        size != sizeof value)
      return static_cast<unsigned int>(defaultValue);
    return value;
  }
  if (UsesPrivateProfile(t))
    return GetPrivateProfileIntA(t.section, entry, defaultValue, IniFileFor(t, iniFile));
  return GetProfileIntA(t.section, entry, defaultValue);
}

int ProfileWriteInt(const char* section, const char* entry, int value, const char* iniFile) {
  Target t = Resolve(section);
  if (t.registry) {
    if (!t.valid)
      return 0;
    RegKey key;
    if (!key.Create(t.root, t.keyPath))
      return 0;
    DWORD data = static_cast<DWORD>(value);
    return RegSetValueExA(key.get(), entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
  }
  char text[16];
  std::snprintf(text, sizeof text, "%i", value);
  if (UsesPrivateProfile(t))
    return WritePrivateProfileStringA(t.section, entry, text, IniFileFor(t, iniFile)) != 0;
  return WriteProfileStringA(t.section, entry, text) != 0;
}

int ProfileGetString(const char* section, const char* entry, const char* defaultValue,
                     char* buffer, unsigned int bufferSize, const char* iniFile) {
  Target t = Resolve(section);
  if (t.registry) {
    if (!buffer || bufferSize == 0)
      return 0;
    RegKey key;
    if (!t.valid || !key.Open(t.root, t.keyPath, KEY_READ)) {
      CopyDefault(defaultValue, buffer, bufferSize);
      return 0;
    }
    if (!entry) {
      if (ListValueNames(key.get(), buffer, bufferSize))
        return 1;
      CopyDefault(defaultValue, buffer, bufferSize);
      return 0;
    }
    DWORD size = bufferSize;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS) {
      CopyDefault(defaultValue, buffer, bufferSize);
      return 0;
    }
    // A value stored without its zero still comes back terminated; one that
    // fills the buffer to the last byte has no room for it and is refused.
    if (size > 0 && buffer[size - 1] == '\0')
      return 1;
    if (size < bufferSize) {
      buffer[size] = '\0';
      return 1;
    }
    CopyDefault(defaultValue, buffer, bufferSize);
    return 0;
  }
  if (UsesPrivateProfile(t))
    return static_cast<int>(GetPrivateProfileStringA(t.section, entry, defaultValue, buffer,
                                                     bufferSize, IniFileFor(t, iniFile)));
  return static_cast<int>(GetProfileStringA(t.section, entry, defaultValue, buffer, bufferSize));
}

int ProfileWriteString(const char* section, const char* entry, const char* value,
                       const char* iniFile) {
  Target t = Resolve(section);
  if (t.registry) {
    if (!t.valid || !entry)
      return 0;
    if (!value) {
      RegKey key;
      if (!key.Open(t.root, t.keyPath, KEY_SET_VALUE))
        return 0;
      return RegDeleteValueA(key.get(), entry) == ERROR_SUCCESS;
    }
    RegKey key;
    if (!key.Create(t.root, t.keyPath))
      return 0;
    return RegSetValueExA(key.get(), entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(std::strlen(value) + 1)) == ERROR_SUCCESS;
  }
  if (UsesPrivateProfile(t))
    return WritePrivateProfileStringA(t.section, entry, value, IniFileFor(t, iniFile)) != 0;
  return WriteProfileStringA(t.section, entry, value) != 0;
}
