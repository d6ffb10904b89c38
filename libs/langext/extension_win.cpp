// The setup-language extension library: one extension object per library,
// handed out and taken back by the two exports; the loaders are resources.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "langext/extension.h"
#include "loader_map.h"
#include "resource.h"

namespace {

HMODULE g_module = nullptr;

void DebugMessage(const char* format, DWORD code) {
  char text[128];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(code));
  OutputDebugStringA(text);
}

// Centres the dialog on its parent (or the screen) and keeps it inside the
// work area of the screen.
void CentreDialog(HWND dialog) {
  RECT dlg;
  GetWindowRect(dialog, &dlg);
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT around = area;
  HWND parent = GetParent(dialog);
  if (parent && IsWindowVisible(parent) && !IsIconic(parent))
    GetWindowRect(parent, &around);
  const LONG w = dlg.right - dlg.left, h = dlg.bottom - dlg.top;
  LONG x = around.left + ((around.right - around.left) - w) / 2;
  LONG y = around.top + ((around.bottom - around.top) - h) / 2;
  if (x + w > area.right)
    x = area.right - w;
  if (y + h > area.bottom)
    y = area.bottom - h;
  if (x < area.left)
    x = area.left;
  if (y < area.top)
    y = area.top;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

class CKitwrightExtension final : public ILanguageExtension {
 public:
  CKitwrightExtension() {
    char text[16] = {};
    if (LoadStringA(g_module, IDS_EXT_LANGUAGE, text, sizeof text) > 0)
      language_ = static_cast<WORD>(std::strtoul(text, nullptr, 10));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    if (out)
      *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  BOOL STDMETHODCALLTYPE About(HWND parent) override {
    INT_PTR rc = DialogBoxParamA(g_module, MAKEINTRESOURCEA(IDD_EXT_ABOUT), parent, AboutProc, 0);
    return rc != -1 && rc != 0;
  }

  DWORD STDMETHODCALLTYPE DropSetup(const char* folder, DWORD options,
                                    DWORD* diskMapOffset) override;

  DWORD STDMETHODCALLTYPE GetVersion() override { return 0x0100; }
  WORD STDMETHODCALLTYPE GetLanguage() override { return language_; }
  DWORD STDMETHODCALLTYPE Reserved(DWORD) override { return 1; }

 private:
  WORD language_ = 0;
};

CKitwrightExtension* g_object = nullptr;
ULONG g_useCount = 0;

ULONG Acquire() {
  if (!g_object)
    g_object = new CKitwrightExtension;
  return ++g_useCount;
}

// Drops one use; the object goes with the last one.
ULONG Drop() {
  if (g_useCount == 0)
    return 0;  // more releases than uses: nothing left to free
  if (--g_useCount == 0) {
    delete g_object;
    g_object = nullptr;
  }
  return g_useCount;
}

ULONG STDMETHODCALLTYPE CKitwrightExtension::AddRef() { return Acquire(); }
ULONG STDMETHODCALLTYPE CKitwrightExtension::Release() { return Drop(); }

DWORD STDMETHODCALLTYPE CKitwrightExtension::DropSetup(const char* folder, DWORD options,
                                                       DWORD* diskMapOffset) {
  if (!(options & (kLoaderWin16 | kLoaderWin32)))
    return 0;
  const WORD name = (options & kLoaderWin16) ? IDR_LOADER_WIN16 : IDR_LOADER_WIN32;
  HRSRC found = FindResourceA(g_module, MAKEINTRESOURCEA(name), MAKEINTRESOURCEA(RT_LOADER));
  if (!found) {
    DebugMessage("In DropSetup: FindResource() failed. Error code=0x%08X.\r\n", GetLastError());
    return 0;
  }
  const DWORD size = SizeofResource(g_module, found);
  if (options & kLoaderSizeOnly)
    return size;
  HGLOBAL loaded = LoadResource(g_module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) {
    DebugMessage("In DropSetup: LoadResource() failed. Error code=0x%08X.\r\n", GetLastError());
    return 0;
  }
  if (!folder || !diskMapOffset)
    return 0;

  bool failed = false;
  std::string path = folder;
  if (!path.empty() && path.back() != '\\')
    path += '\\';
  path += "SETUP.EXE";
  FILE* file = std::fopen(path.c_str(), "w+b");
  if (!file) {
    failed = true;
  } else {
    if (std::fwrite(data, 1, size, file) != size)
      failed = true;
    if (std::fclose(file) != 0)
      failed = true;
  }

  uint32_t offset = 0;
  kw::LoaderMapResult found_map =
      kw::FindLoaderDiskMap(static_cast<const uint8_t*>(data), size, &offset);
  // Without its disk-map area the loader cannot be patched: a failure, not
  // an offset of 0 that would overwrite the header.
  if (found_map != kw::LoaderMapResult::kFound)
    failed = true;
  *diskMapOffset = offset;
  return failed ? 0 : 1;
}

}  // namespace

extern "C" ILanguageExtension* DllGetExtensionObject() {
  Acquire();
  return g_object;
}

extern "C" BOOL DllReleaseExtensionObject() {
  if (g_useCount == 0)
    return FALSE;
  return Drop() == 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
