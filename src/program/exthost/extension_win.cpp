// Loading, finding and releasing the setup-language extensions.
#include "extension.h"

#include <vector>

namespace {

// Without this a broken library in LNG could bring up a system message box.
class QuietErrors {
 public:
  QuietErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~QuietErrors() { SetErrorMode(old_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  UINT old_;
};

bool IsWin32s() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32s;
}

}  // namespace

std::string CIKitwrightExtension::ProgramLngFolder() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0)
      return "LNG\\";
    if (n < path.size()) {
      std::string folder(path.data(), n);
      size_t slash = folder.find_last_of("\\/");
      folder.erase(slash == std::string::npos ? 0 : slash);
      return folder + "\\LNG\\";
    }
    if (path.size() >= 32768)
      return "LNG\\";
    path.resize(path.size() * 2);
  }
}

CIKitwrightExtension::CIKitwrightExtension(const std::string& lngFolder) {
  std::string folder = lngFolder.empty() ? ProgramLngFolder() : lngFolder;
  if (folder.back() != '\\' && folder.back() != '/')
    folder += '\\';

  QuietErrors quiet;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*.DLL").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        continue;
      HMODULE module = LoadLibraryA((folder + found.cFileName).c_str());
      if (!module)
        continue;
      auto get = reinterpret_cast<DllGetExtensionObjectProc>(
          reinterpret_cast<void*>(GetProcAddress(module, kGetExtensionObjectName)));
      ILanguageExtension* extension = get ? get() : nullptr;
      if (!extension) {
        // A library without the entry point, or one that handed out nothing.
        if (get) {
          auto release = reinterpret_cast<DllReleaseExtensionObjectProc>(
              reinterpret_cast<void*>(GetProcAddress(module, kReleaseExtensionObjectName)));
          if (release)
            release();
        }
        FreeLibrary(module);
        continue;
      }
      entries_.Add(new tagEXTENSIONENTRY{extension, module});
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  if (entries_.size() == 0)
    throw CXNoExtensions();
}

CIKitwrightExtension::~CIKitwrightExtension() {
  while (entries_.size() > 0) {
    auto* entry = static_cast<tagEXTENSIONENTRY*>(entries_.at(0));
    auto release = reinterpret_cast<DllReleaseExtensionObjectProc>(
        reinterpret_cast<void*>(GetProcAddress(entry->module, kReleaseExtensionObjectName)));
    if (release)
      release();
    FreeLibrary(entry->module);
    delete entry;
    entries_.RemoveAt(0);
  }
}

ILanguageExtension* CIKitwrightExtension::Find(WORD language) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    ILanguageExtension* extension = GetAt(i)->extension;
    if (extension->GetLanguage() == language)
      return extension;
  }
  return nullptr;
}

bool CIKitwrightExtension::LanguageName(WORD language, char* buffer, unsigned int size) {
  if (!buffer || size == 0)
    return false;
  buffer[0] = '\0';
  DWORD n = VerLanguageNameA(language, buffer, size);
  // Not every implementation terminates a name cut to the buffer.
  buffer[size - 1] = '\0';
  return n != 0 && buffer[0] != '\0';
}

WORD CIKitwrightExtension::SystemLanguage() {
  char dir[MAX_PATH];
  UINT n = GetSystemDirectoryA(dir, sizeof dir);
  if (n == 0 || n >= sizeof dir)
    return 1033;
  std::string file(dir, n);
  file += IsWin32s() ? "\\WIN32S\\W32SCOMB.DLL" : "\\KERNEL32.DLL";

  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
  if (size == 0)
    return 1033;
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, info.data()))
    return 1033;
  void* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &translation, &length) ||
      !translation || length < 4)
    return 1033;
  return *static_cast<const WORD*>(translation);
}

WORD CIKitwrightExtension::DefaultLanguageFor(WORD systemLanguage) const {
  if (Find(systemLanguage))
    return systemLanguage;
  return GetAt(0)->extension->GetLanguage();
}

bool DropSetupLoader(const CIKitwrightExtension& host, WORD language, const std::string& folder,
                     DWORD options, uint32_t* diskMapOffset) {
  ILanguageExtension* extension = host.Find(language);
  if (!extension)
    return false;
  DWORD offset = 0;
  if (extension->DropSetup(folder.c_str(), options & ~kLoaderSizeOnly, &offset) != 1)
    return false;
  *diskMapOffset = offset;
  return true;
}
