// Binary interface between the program and a setup-language extension
// library (LNG\KWRXT*.DLL). The slot order of ILanguageExtension is the
// contract: COM calling convention, methods never reordered.
#pragma once

#include <windows.h>
#include <unknwn.h>

// Loader options of DropSetup.
enum : DWORD {
  kLoaderWin16 = 0x00000001,      // loader for setups of 16-bit applications
  kLoaderWin32 = 0x00000002,      // loader for setups of 32-bit applications
  kLoaderSizeOnly = 0x40000000,   // return the loader's size, write nothing
};

// Slots 0..2 come from IUnknown (QueryInterface, AddRef, Release).
struct ILanguageExtension : public IUnknown {
  // Slot 3: the library's About box, modal over parent. FALSE if not shown.
  virtual BOOL STDMETHODCALLTYPE About(HWND parent) = 0;
  // Slot 4: writes <folder>\SETUP.EXE and the disk-map offset inside it.
  // 1 on success, 0 on failure; with kLoaderSizeOnly the loader's size.
  virtual DWORD STDMETHODCALLTYPE DropSetup(const char* folder, DWORD options,
                                            DWORD* diskMapOffset) = 0;
  // Slot 5: interface version, 0x0100.
  virtual DWORD STDMETHODCALLTYPE GetVersion() = 0;
  // Slot 6: the Windows language id of the setups this library makes.
  virtual WORD STDMETHODCALLTYPE GetLanguage() = 0;
  // Slot 7: reserved, returns 1.
  virtual DWORD STDMETHODCALLTYPE Reserved(DWORD argument) = 0;
};

// Exports of the library, found by name.
using DllGetExtensionObjectProc = ILanguageExtension* (*)();
using DllReleaseExtensionObjectProc = BOOL (*)();
inline constexpr const char kGetExtensionObjectName[] = "DllGetExtensionObject";
inline constexpr const char kReleaseExtensionObjectName[] = "DllReleaseExtensionObject";
