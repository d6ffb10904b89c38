// UI resource library loading: every library of the LNG folder is loaded at
// start-up; the one of the current UI language serves all resource requests.
//   tagLANGUAGEENTRY          one loaded library
//   CIKitwrightLanguageArray  the program-wide set with the current language
#pragma once

#include "resource_library.h"

#include <string>
#include <vector>

struct tagLANGUAGEENTRY {
  IResourceLibrary* object = nullptr;
  HMODULE module = nullptr;
};

class CIKitwrightLanguageArray {
 public:
  // Attributes
  int GetSize() const { return static_cast<int>(entries_.size()); }
  tagLANGUAGEENTRY* GetAt(int index);
  tagLANGUAGEENTRY* Find(WORD language);
  // The current UI language; chosen and written back on first use.
  WORD GetCurrentLanguage();
  // The current library's module, or the program's own when none matches.
  HINSTANCE GetResourceModule();

  // Operations
  // The first call loads every library of the folder; true when one was found.
  bool Load();
  // The last call releases and unloads every library.
  void Unload();
  void SetLanguage(WORD language);

  // Routed resource calls: forwarded to the current library.
  int LoadString(UINT id, LPSTR buffer, int size);
  HMENU LoadMenu(LPCSTR name);
  HBITMAP LoadBitmap(LPCSTR name);
  HICON LoadIcon(LPCSTR name);
  HCURSOR LoadCursor(LPCSTR name);
  HACCEL LoadAccelerators(LPCSTR name);
  HANDLE LoadImage(LPCSTR name, UINT type, int cx, int cy, UINT flags);
  HWND CreateDialogParam(LPCSTR name, HWND parent, DLGPROC proc, LPARAM init);
  INT_PTR DialogBoxParam(LPCSTR name, HWND parent, DLGPROC proc, LPARAM init);
  INT_PTR PropertySheet(PROPSHEETHEADERA* header);
  HBITMAP CreateMappedBitmap(INT_PTR id, UINT flags, LPCOLORMAP map, int mapSize);
  HWND CreateToolbarEx(HWND parent, DWORD style, UINT id, int bitmaps, UINT_PTR bitmapId,
                       LPCTBBUTTON buttons, int buttonCount, int buttonWidth, int buttonHeight,
                       int bitmapWidth, int bitmapHeight, UINT buttonSize);
  HWND CreateUpDownControl(DWORD style, int x, int y, int cx, int cy, HWND parent, int id,
                           HWND buddy, int upper, int lower, int pos);
  HIMAGELIST ImageList_LoadImage(LPCSTR name, int cx, int grow, COLORREF mask, UINT type,
                                 UINT flags);
  void MenuHelp(UINT msg, WPARAM wParam, LPARAM lParam, HMENU mainMenu, HWND status, UINT* ids);
  // Extended registration with the plain one as fall-back; on Win32s the
  // support library's registration.
  ATOM RegisterWindowClass(const WNDCLASSEXA* wc);

  // Seams for start-up code and tests.
  // Folder holding the libraries (with a trailing backslash); empty means
  // <program folder>\LNG\.
  void SetFolder(const std::string& folder) { folder_ = folder; }
  using ModuleSwitch = void (*)(HINSTANCE module);
  // Called whenever the framework's resource module changes.
  void SetModuleSwitch(ModuleSwitch hook) { switch_ = hook; }
  using LanguageQuery = WORD (*)();
  // Replaces the system language query (null restores it).
  void SetSystemLanguageQuery(LanguageQuery query) { systemLanguage_ = query; }
  using PlatformQuery = bool (*)();
  // Replaces the Win32s query (null restores it).
  void SetWin32sQuery(PlatformQuery query) { win32s_ = query; }
  int GetLoadCount() const { return loadCount_; }

 private:
  IResourceLibrary* Current();
  void SwitchModule();
  bool IsWin32s() const;

  std::vector<tagLANGUAGEENTRY> entries_;
  int loadCount_ = 0;
  WORD language_ = 0;
  HMODULE win32sSupport_ = nullptr;
  std::string folder_;
  ModuleSwitch switch_ = nullptr;
  LanguageQuery systemLanguage_ = nullptr;
  PlatformQuery win32s_ = nullptr;
};

// The one instance of the program.
extern CIKitwrightLanguageArray theLanguageArray;

// The language of the system: the first translation of KERNEL32.DLL's version
// information (WIN32S\W32SCOMB.DLL on Win32s), 1033 without one.
WORD QuerySystemLanguage(bool win32s);
