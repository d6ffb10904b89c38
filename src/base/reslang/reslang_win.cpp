// Loading of the UI resource libraries and routing of resource requests.
#include "reslang.h"

#include "profile.h"

#include <cstdio>
#include <cstring>

CIKitwrightLanguageArray theLanguageArray;

namespace {

constexpr const char kSettings[] = "U:Settings";
constexpr const char kLanguage[] = "Language";

bool SystemIsWin32s() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32s;
}

// The program folder with "\LNG\" in place of the program's file name.
std::string DefaultFolder() {
  char path[MAX_PATH + 16] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return "LNG\\";
  char* slash = std::strrchr(path, '\\');
  if (!slash)
    return "LNG\\";
  std::snprintf(slash, sizeof path - (slash - path), "\\LNG\\%s", "");
  return path;
}

}  // namespace

WORD QuerySystemLanguage(bool win32s) {
  char path[MAX_PATH + 32] = {};
  UINT n = ::GetSystemDirectoryA(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return 1033;
  std::strcat(path, win32s ? "\\WIN32S\\W32SCOMB.DLL" : "\\KERNEL32.DLL");
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
  if (size == 0)
    return 1033;
  std::vector<BYTE> data(size);
  if (!::GetFileVersionInfoA(path, 0, size, data.data()))
    return 1033;
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &value, &length) ||
      length < 4 || !value)
    return 1033;
  WORD language = 0;
  std::memcpy(&language, value, sizeof language);
  return language;
}

tagLANGUAGEENTRY* CIKitwrightLanguageArray::GetAt(int index) {
  if (index < 0 || index >= GetSize())
    return nullptr;
  return &entries_[index];
}

tagLANGUAGEENTRY* CIKitwrightLanguageArray::Find(WORD language) {
  for (auto& e : entries_)
    if (e.object && e.object->GetLanguage(nullptr) == language)
      return &e;
  return nullptr;
}

bool CIKitwrightLanguageArray::IsWin32s() const {
  return win32s_ ? win32s_() : SystemIsWin32s();
}

WORD CIKitwrightLanguageArray::GetCurrentLanguage() {
  if (language_ != 0)
    return language_;
  WORD language = static_cast<WORD>(ProfileGetInt(kSettings, kLanguage, 0));
  if (!Find(language)) {
    language = systemLanguage_ ? systemLanguage_() : QuerySystemLanguage(IsWin32s());
    if (!Find(language) && !entries_.empty())
      language = entries_.front().object->GetLanguage(nullptr);
  }
  if (language != 0 && Find(language)) {
    language_ = language;
    ProfileWriteInt(kSettings, kLanguage, language);
    SwitchModule();
  }
  return language;
}

HINSTANCE CIKitwrightLanguageArray::GetResourceModule() {
  if (tagLANGUAGEENTRY* e = Find(GetCurrentLanguage()))
    return e->object->GetModuleHandle();
  return ::GetModuleHandleA(nullptr);
}

void CIKitwrightLanguageArray::SwitchModule() {
  if (switch_)
    switch_(GetResourceModule());
}

bool CIKitwrightLanguageArray::Load() {
  if (loadCount_++ > 0)
    return true;
  std::string folder = folder_.empty() ? DefaultFolder() : folder_;
  WIN32_FIND_DATAA found = {};
  HANDLE search = ::FindFirstFileA((folder + "*.DLL").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        continue;
      HMODULE module = ::LoadLibraryA((folder + found.cFileName).c_str());
      if (!module)
        continue;
      auto get = reinterpret_cast<GetResourceObjectProc>(
          reinterpret_cast<void*>(::GetProcAddress(module, kGetResourceObjectExport)));
      IResourceLibrary* object = get ? get() : nullptr;
      if (!object) {
        ::FreeLibrary(module);
        continue;
      }
      entries_.push_back({object, module});
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  if (entries_.empty())
    return false;
  SwitchModule();
  if (IsWin32s())
    win32sSupport_ = ::LoadLibraryA("KWRW32S.DLL");
  return true;
}

void CIKitwrightLanguageArray::Unload() {
  if (loadCount_ <= 0 || --loadCount_ > 0)
    return;
  while (!entries_.empty()) {
    tagLANGUAGEENTRY e = entries_.front();
    entries_.erase(entries_.begin());
    auto release = reinterpret_cast<ReleaseResourceObjectProc>(
        reinterpret_cast<void*>(::GetProcAddress(e.module, kReleaseResourceObjectExport)));
    if (release)
      release();
    ::FreeLibrary(e.module);
  }
  if (win32sSupport_) {
    ::FreeLibrary(win32sSupport_);
    win32sSupport_ = nullptr;
  }
  language_ = 0;
}

void CIKitwrightLanguageArray::SetLanguage(WORD language) {
  language_ = language;
  ProfileWriteInt(kSettings, kLanguage, language);
  SwitchModule();
}

IResourceLibrary* CIKitwrightLanguageArray::Current() {
  tagLANGUAGEENTRY* e = Find(GetCurrentLanguage());
  return e ? e->object : nullptr;
}

int CIKitwrightLanguageArray::LoadString(UINT id, LPSTR buffer, int size) {
  IResourceLibrary* lib = Current();
  if (!lib) {
    if (buffer && size > 0)
      buffer[0] = '\0';
    return 0;
  }
  return lib->LoadString(nullptr, id, buffer, size);
}

HMENU CIKitwrightLanguageArray::LoadMenu(LPCSTR name) {
  IResourceLibrary* lib = Current();
  return lib ? lib->LoadMenu(nullptr, name) : nullptr;
}

// Named bitmaps and icons are the library's ("IDI_FILE"); the system's are
// integer ids, which the library tells apart by their range.
HBITMAP CIKitwrightLanguageArray::LoadBitmap(LPCSTR name) {
  IResourceLibrary* lib = Current();
  return lib ? lib->LoadBitmap(!IS_INTRESOURCE(name), name) : nullptr;
}

HICON CIKitwrightLanguageArray::LoadIcon(LPCSTR name) {
  IResourceLibrary* lib = Current();
  return lib ? lib->LoadIcon(!IS_INTRESOURCE(name), name) : nullptr;
}

HCURSOR CIKitwrightLanguageArray::LoadCursor(LPCSTR name) {
  IResourceLibrary* lib = Current();
  return lib ? lib->LoadCursor(TRUE, name) : ::LoadCursorA(nullptr, name);
}

HACCEL CIKitwrightLanguageArray::LoadAccelerators(LPCSTR name) {
  IResourceLibrary* lib = Current();
  return lib ? lib->LoadAccelerators(nullptr, name) : nullptr;
}

HANDLE CIKitwrightLanguageArray::LoadImage(LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  IResourceLibrary* lib = Current();
  return lib ? lib->LoadImage(nullptr, name, type, cx, cy, flags) : nullptr;
}

HWND CIKitwrightLanguageArray::CreateDialogParam(LPCSTR name, HWND parent, DLGPROC proc,
                                                 LPARAM init) {
  IResourceLibrary* lib = Current();
  return lib ? lib->CreateDialogParam(nullptr, name, parent, proc, init) : nullptr;
}

INT_PTR CIKitwrightLanguageArray::DialogBoxParam(LPCSTR name, HWND parent, DLGPROC proc,
                                                 LPARAM init) {
  IResourceLibrary* lib = Current();
  return lib ? lib->DialogBoxParam(nullptr, name, parent, proc, init) : -1;
}

INT_PTR CIKitwrightLanguageArray::PropertySheet(PROPSHEETHEADERA* header) {
  IResourceLibrary* lib = Current();
  return lib ? lib->PropertySheet(header) : -1;
}

HBITMAP CIKitwrightLanguageArray::CreateMappedBitmap(INT_PTR id, UINT flags, LPCOLORMAP map,
                                                     int mapSize) {
  IResourceLibrary* lib = Current();
  return lib ? lib->CreateMappedBitmap(nullptr, id, flags, map, mapSize) : nullptr;
}

HWND CIKitwrightLanguageArray::CreateToolbarEx(HWND parent, DWORD style, UINT id, int bitmaps,
                                               UINT_PTR bitmapId, LPCTBBUTTON buttons,
                                               int buttonCount, int buttonWidth,
                                               int buttonHeight, int bitmapWidth,
                                               int bitmapHeight, UINT buttonSize) {
  IResourceLibrary* lib = Current();
  return lib ? lib->CreateToolbarEx(nullptr, parent, style, id, bitmaps, nullptr, bitmapId,
                                    buttons, buttonCount, buttonWidth, buttonHeight, bitmapWidth,
                                    bitmapHeight, buttonSize)
             : nullptr;
}

HWND CIKitwrightLanguageArray::CreateUpDownControl(DWORD style, int x, int y, int cx, int cy,
                                                   HWND parent, int id, HWND buddy, int upper,
                                                   int lower, int pos) {
  IResourceLibrary* lib = Current();
  return lib ? lib->CreateUpDownControl(nullptr, style, x, y, cx, cy, parent, id, nullptr, buddy,
                                        upper, lower, pos)
             : nullptr;
}

HIMAGELIST CIKitwrightLanguageArray::ImageList_LoadImage(LPCSTR name, int cx, int grow,
                                                         COLORREF mask, UINT type, UINT flags) {
  IResourceLibrary* lib = Current();
  return lib ? lib->ImageList_LoadImage(nullptr, name, cx, grow, mask, type, flags) : nullptr;
}

void CIKitwrightLanguageArray::MenuHelp(UINT msg, WPARAM wParam, LPARAM lParam, HMENU mainMenu,
                                        HWND status, UINT* ids) {
  if (IResourceLibrary* lib = Current())
    lib->MenuHelp(nullptr, msg, wParam, lParam, mainMenu, status, ids);
}

ATOM CIKitwrightLanguageArray::RegisterWindowClass(const WNDCLASSEXA* wc) {
  if (!wc)
    return 0;
  if (IsWin32s()) {
    using RegisterW32s = ATOM(WINAPI*)(const WNDCLASSA*);
    auto reg = win32sSupport_ ? reinterpret_cast<RegisterW32s>(reinterpret_cast<void*>(
                                    ::GetProcAddress(win32sSupport_, "RegisterClassW32s")))
                              : nullptr;
    if (!reg)
      return 0;
    WNDCLASSA plain = {wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra,
                       wc->hInstance, wc->hIcon, wc->hCursor, wc->hbrBackground,
                       wc->lpszMenuName, wc->lpszClassName};
    return reg(&plain);
  }
  if (ATOM atom = ::RegisterClassExA(wc))
    return atom;
  WNDCLASSA plain = {wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra, wc->hInstance,
                     wc->hIcon, wc->hCursor, wc->hbrBackground, wc->lpszMenuName,
                     wc->lpszClassName};
  return ::RegisterClassA(&plain);
}
