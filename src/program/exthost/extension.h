// Host of the setup-language extensions in the program's LNG folder.
// Classes: tagEXTENSIONENTRY, CIKitwrightExtension.
#pragma once

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "langext/extension.h"
#include "ptrarray.h"

// One loaded extension library and the object it handed out.
struct tagEXTENSIONENTRY {
  ILanguageExtension* extension;
  HMODULE module;
};

class CIKitwrightExtension {
 public:
  // Thrown by the constructor when the folder holds no extension.
  class CXNoExtensions : public std::runtime_error {
   public:
    CXNoExtensions() : std::runtime_error("no language extensions") {}
  };

  // Loads every "*.DLL" of lngFolder that exports "DllGetExtensionObject";
  // an empty folder means <program folder>\LNG\.
  explicit CIKitwrightExtension(const std::string& lngFolder = std::string());
  // Releases every object and unloads the libraries, first found first.
  ~CIKitwrightExtension();
  CIKitwrightExtension(const CIKitwrightExtension&) = delete;
  CIKitwrightExtension& operator=(const CIKitwrightExtension&) = delete;

  // Attributes
  size_t GetSize() const { return entries_.size(); }
  const tagEXTENSIONENTRY* GetAt(size_t i) const {
    return static_cast<const tagEXTENSIONENTRY*>(entries_.at(i));
  }

  // Operations
  // The first extension found that offers language, or null.
  ILanguageExtension* Find(WORD language) const;
  // The system's name of language into buffer; false when it has none.
  static bool LanguageName(WORD language, char* buffer, unsigned int size);
  // Default setup language of new projects on this system.
  WORD DefaultLanguage() const { return DefaultLanguageFor(SystemLanguage()); }
  // The same for a given system language: it, when offered, else the first
  // extension's language.
  WORD DefaultLanguageFor(WORD systemLanguage) const;
  // Language of the system's KERNEL32.DLL (W32SCOMB.DLL on Win32s); 1033
  // when it carries no version information.
  static WORD SystemLanguage();
  // The setup language chosen last on the General tab; the default
  // language until one is chosen.
  WORD CurrentLanguage() const { return current_ ? current_ : DefaultLanguage(); }
  void SetCurrentLanguage(WORD language) { current_ = language; }

  // The folder scanned by default: <program folder>\LNG\.
  static std::string ProgramLngFolder();

 private:
  kw::PtrArray entries_;
  WORD current_ = 0;
};

// Has the extension of language drop SETUP.EXE into folder (e.g. DISK1).
// On success gives the file offset of the loader's disk-map area.
// Fails when no extension offers language or the drop fails.
bool DropSetupLoader(const CIKitwrightExtension& host, WORD language, const std::string& folder,
                     DWORD options, uint32_t* diskMapOffset);
