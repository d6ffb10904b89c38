// The object a UI resource library hands out ("DllGetResourceObject").
//
// The slot order is fixed: the program and every library are built
// separately, so this is a COM-style table of __stdcall methods. Every
// resource method loads from the library's own module; the module argument
// a caller passes is ignored (LoadBitmap, LoadCursor and LoadIcon take a flag
// in its place).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

// The version every library of this generation reports.
inline constexpr DWORD kResourceLibraryVersion = 0x011C6101;

struct IResourceLibrary {
  // Slots 0-2: always E_NOINTERFACE; the use count lives in the exports.
  virtual HRESULT __stdcall QueryInterface(REFIID iid, void** out) = 0;
  virtual ULONG __stdcall AddRef() = 0;
  virtual ULONG __stdcall Release() = 0;
  // Slots 3-4: dialogs from the library's templates.
  virtual HWND __stdcall CreateDialogParam(HINSTANCE ignored, LPCSTR name, HWND parent,
                                           DLGPROC proc, LPARAM init) = 0;
  virtual INT_PTR __stdcall DialogBoxParam(HINSTANCE ignored, LPCSTR name, HWND parent,
                                           DLGPROC proc, LPARAM init) = 0;
  // Slot 5: kResourceLibraryVersion. Slot 6: the library's language id.
  virtual DWORD __stdcall GetVersion(HINSTANCE ignored) = 0;
  virtual WORD __stdcall GetLanguage(HINSTANCE ignored) = 0;
  virtual HACCEL __stdcall LoadAccelerators(HINSTANCE ignored, LPCSTR name) = 0;
  // Slots 8 and 10: from the library when fromLibrary is set or the name is an
  // integer id below 32513, else the system's. Slot 9: library only when set.
  virtual HBITMAP __stdcall LoadBitmap(BOOL fromLibrary, LPCSTR name) = 0;
  virtual HCURSOR __stdcall LoadCursor(BOOL fromLibrary, LPCSTR name) = 0;
  virtual HICON __stdcall LoadIcon(BOOL fromLibrary, LPCSTR name) = 0;
  virtual HANDLE __stdcall LoadImage(HINSTANCE ignored, LPCSTR name, UINT type, int cx, int cy,
                                     UINT flags) = 0;
  virtual HMENU __stdcall LoadMenu(HINSTANCE ignored, LPCSTR name) = 0;
  virtual int __stdcall LoadString(HINSTANCE ignored, UINT id, LPSTR buffer, int size) = 0;
  // Slot 14: the header's instance and every page's are set to the library.
  virtual INT_PTR __stdcall PropertySheet(PROPSHEETHEADERA* header) = 0;
  virtual HBITMAP __stdcall CreateMappedBitmap(HINSTANCE ignored, INT_PTR id, UINT flags,
                                               LPCOLORMAP map, int mapSize) = 0;
  virtual HWND __stdcall CreateToolbarEx(HINSTANCE ignored, HWND parent, DWORD style, UINT id,
                                         int bitmaps, HINSTANCE bitmapInstance, UINT_PTR bitmapId,
                                         LPCTBBUTTON buttons, int buttonCount, int buttonWidth,
                                         int buttonHeight, int bitmapWidth, int bitmapHeight,
                                         UINT buttonSize) = 0;
  virtual HWND __stdcall CreateUpDownControl(HINSTANCE ignored, DWORD style, int x, int y, int cx,
                                             int cy, HWND parent, int id, HINSTANCE instance,
                                             HWND buddy, int upper, int lower, int pos) = 0;
  virtual HMODULE __stdcall GetModuleHandle() = 0;
  virtual HIMAGELIST __stdcall ImageList_LoadImage(HINSTANCE ignored, LPCSTR name, int cx,
                                                   int grow, COLORREF mask, UINT type,
                                                   UINT flags) = 0;
  // Slot 20: the module argument is the instance MenuHelp needs; the
  // library's module takes its place.
  virtual void __stdcall MenuHelp(HINSTANCE ignored, UINT msg, WPARAM wParam, LPARAM lParam,
                                  HMENU mainMenu, HWND status, UINT* ids) = 0;
};

// The two exports, by name.
using GetResourceObjectProc = IResourceLibrary* (*)();
using ReleaseResourceObjectProc = BOOL (*)();
inline constexpr const char kGetResourceObjectExport[] = "DllGetResourceObject";
inline constexpr const char kReleaseResourceObjectExport[] = "DllReleaseResourceObject";
