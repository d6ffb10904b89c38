// Custom controls shared by the dialogs and views:
//   check list box "Brantel CheckLBox", bitmap control "Brantel KWRBMP",
//   LoadBitmapEx, MakeNonBold, SetPathText.
#pragma once

#include <windows.h>

#include <string>

inline constexpr const char kCheckListClass[] = "Brantel CheckLBox";
inline constexpr const char kBitmapControlClass[] = "Brantel KWRBMP";
// The strip of check images in the resource library: unchecked at x = 0,
// checked at x = 11, each 11 x 11.
inline constexpr int kCheckBitmapId = 0x67C8;

// Check list box: a list box whose entries carry check marks. Create it
// owner-drawn with fixed-height items and without strings.
// Registers the class once per process (later calls only count).
ATOM RegisterCheckListBox(HINSTANCE instance);
// Undoes one registration; the last one removes the class.
void UnregisterCheckListBox();
// Adds an entry; returns its index or LB_ERR.
int AddCheckListItem(HWND list, const char* text, int check, void* data);
// The entry's check value, 0 for an index without an item.
int GetCheckListCheck(HWND list, int index);
// Stores a check value and redraws the entry; 1, or 0 for an index without an item.
int SetCheckListCheck(HWND list, int index, int value);
// The caller's data of an entry, or null.
void* GetCheckListData(HWND list, int index);

// Bitmap control: shows the resource library's bitmap whose id equals the
// control's own id, with its background in the dialog colour.
ATOM RegisterBitmapControl(HINSTANCE instance);

// Loads a bitmap and blends its background (the colour of its top-left pixel)
// into the dialog colour. With palette, the bitmap is read from instance and
// its palette returned; without, the resource library's loader is used.
HBITMAP LoadBitmapEx(HINSTANCE instance, UINT id, HPALETTE* palette);
// The blending step alone: a new bitmap in which every pixel of the colour of
// the top-left pixel has the target colour. steps selects the raster steps
// (bits 0-3, 15 for all). The source is left as it is.
HBITMAP BlendBitmapBackground(HBITMAP source, COLORREF target, unsigned steps);
// The colour the background is blended into on this system.
COLORREF DialogBackgroundColour();

// Gives a dialog and its children the regular-weight font; static 503 gets
// the title font; statics 501 and 502 are alternatives by system version.
void MakeNonBold(HWND dialog);
// The registered message that makes bitmap controls fit their bitmap again;
// 0 until MakeNonBold registered it (never on Windows NT).
UINT NonBoldResizeMessage();
// Deletes the process-wide fonts (at exit).
void FreeNonBoldFonts();

// Sets a path as a control's text, shortened after the first backslash with
// "..." until it fits the control.
void SetPathText(HWND dialog, int controlId, const char* path);
// The text SetPathText would show, measured with the given DC and width.
std::string FitPathText(HDC dc, int width, const char* path);
