// The resource object of a UI resource library and the two exports that
// hand it out. One object and one use count per process.
#include "resource_library.h"
#include "resids.h"

#include <cstdlib>
#include <new>

namespace {

HINSTANCE g_module = nullptr;

bool IsIntegerName(LPCSTR name) {
  return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0;
}

class ResourceLibrary final : public IResourceLibrary {
 public:
  ResourceLibrary() {
    char text[16] = {};
    if (::LoadStringA(g_module, IDS_LIBRARY_LANGUAGE, text, sizeof text) > 0)
      language_ = static_cast<WORD>(std::strtoul(text, nullptr, 10));
  }

  HRESULT __stdcall QueryInterface(REFIID, void** out) override {
    if (out)
      *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG __stdcall AddRef() override { return 1; }
  ULONG __stdcall Release() override { return 1; }

  HWND __stdcall CreateDialogParam(HINSTANCE, LPCSTR name, HWND parent, DLGPROC proc,
                                   LPARAM init) override {
    return ::CreateDialogParamA(g_module, name, parent, proc, init);
  }
  INT_PTR __stdcall DialogBoxParam(HINSTANCE, LPCSTR name, HWND parent, DLGPROC proc,
                                   LPARAM init) override {
    return ::DialogBoxParamA(g_module, name, parent, proc, init);
  }
  DWORD __stdcall GetVersion(HINSTANCE) override { return kResourceLibraryVersion; }
  WORD __stdcall GetLanguage(HINSTANCE) override { return language_; }
  HACCEL __stdcall LoadAccelerators(HINSTANCE, LPCSTR name) override {
    return ::LoadAcceleratorsA(g_module, name);
  }
  HBITMAP __stdcall LoadBitmap(BOOL fromLibrary, LPCSTR name) override {
    return ::LoadBitmapA(FromLibrary(fromLibrary, name) ? g_module : nullptr, name);
  }
  HCURSOR __stdcall LoadCursor(BOOL fromLibrary, LPCSTR name) override {
    return ::LoadCursorA(fromLibrary ? g_module : nullptr, name);
  }
  HICON __stdcall LoadIcon(BOOL fromLibrary, LPCSTR name) override {
    return ::LoadIconA(FromLibrary(fromLibrary, name) ? g_module : nullptr, name);
  }
  HANDLE __stdcall LoadImage(HINSTANCE, LPCSTR name, UINT type, int cx, int cy,
                             UINT flags) override {
    return ::LoadImageA(g_module, name, type, cx, cy, flags);
  }
  HMENU __stdcall LoadMenu(HINSTANCE, LPCSTR name) override {
    return ::LoadMenuA(g_module, name);
  }
  int __stdcall LoadString(HINSTANCE, UINT id, LPSTR buffer, int size) override {
    return ::LoadStringA(g_module, id, buffer, size);
  }
  INT_PTR __stdcall PropertySheet(PROPSHEETHEADERA* header) override {
    if (!header)
      return -1;
    header->hInstance = g_module;
    // Pages given as structures take the library too; pages already created
    // (handles) carry their instance with them.
    if ((header->dwFlags & PSH_PROPSHEETPAGE) && header->ppsp) {
      auto* page = const_cast<PROPSHEETPAGEA*>(header->ppsp);
      for (UINT i = 0; i < header->nPages; ++i) {
        page->hInstance = g_module;
        page = reinterpret_cast<PROPSHEETPAGEA*>(reinterpret_cast<BYTE*>(page) + page->dwSize);
      }
    }
    return ::PropertySheetA(header);
  }
  HBITMAP __stdcall CreateMappedBitmap(HINSTANCE, INT_PTR id, UINT flags, LPCOLORMAP map,
                                       int mapSize) override {
    return ::CreateMappedBitmap(g_module, id, flags, map, mapSize);
  }
  HWND __stdcall CreateToolbarEx(HINSTANCE, HWND parent, DWORD style, UINT id, int bitmaps,
                                 HINSTANCE, UINT_PTR bitmapId, LPCTBBUTTON buttons,
                                 int buttonCount, int buttonWidth, int buttonHeight,
                                 int bitmapWidth, int bitmapHeight, UINT buttonSize) override {
    return ::CreateToolbarEx(parent, style, id, bitmaps, g_module, bitmapId, buttons, buttonCount,
                             buttonWidth, buttonHeight, bitmapWidth, bitmapHeight, buttonSize);
  }
  HWND __stdcall CreateUpDownControl(HINSTANCE, DWORD style, int x, int y, int cx, int cy,
                                     HWND parent, int id, HINSTANCE, HWND buddy, int upper,
                                     int lower, int pos) override {
    return ::CreateUpDownControl(style, x, y, cx, cy, parent, id, g_module, buddy, upper, lower,
                                 pos);
  }
  HMODULE __stdcall GetModuleHandle() override { return g_module; }
  HIMAGELIST __stdcall ImageList_LoadImage(HINSTANCE, LPCSTR name, int cx, int grow,
                                           COLORREF mask, UINT type, UINT flags) override {
    return ::ImageList_LoadImageA(g_module, name, cx, grow, mask, type, flags);
  }
  void __stdcall MenuHelp(HINSTANCE, UINT msg, WPARAM wParam, LPARAM lParam, HMENU mainMenu,
                          HWND status, UINT* ids) override {
    ::MenuHelp(msg, wParam, lParam, mainMenu, g_module, status, ids);
  }

 private:
  // System bitmaps and icons have ids from 32513 (OBM_*, IDI_*) up.
  static bool FromLibrary(BOOL flag, LPCSTR name) {
    return flag || (IsIntegerName(name) && reinterpret_cast<ULONG_PTR>(name) < 32513);
  }

  WORD language_ = 0;
};

ResourceLibrary* g_object = nullptr;
long g_uses = 0;

}  // namespace

extern "C" IResourceLibrary* DllGetResourceObject() {
  if (!g_object) {
    g_object = new (std::nothrow) ResourceLibrary;
    if (!g_object)
      return nullptr;
  }
  ++g_uses;
  return g_object;
}

extern "C" BOOL DllReleaseResourceObject() {
  if (g_uses <= 0)
    return FALSE;
  if (--g_uses == 0) {
    delete g_object;
    g_object = nullptr;
    return TRUE;
  }
  return FALSE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
