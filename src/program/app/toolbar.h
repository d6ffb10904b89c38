// CToolBarEx: the main window's toolbar, flat where the common controls
// can draw it so, docked at the top of its frame or floating beside it. It
// answers the help hit test with a button's command plus 0x10000.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CToolBarEx {
 public:
  // Sent to the frame as the mouse moves over the buttons (fly-by help):
  // wParam the command of the button under it, 0 when it left them.
  static constexpr UINT kMsgFlyBy = WM_APP + 1;

  // Loads the common controls library and initialises its classes; tests
  // name another library to stand for one without InitCommonControlsEx.
  explicit CToolBarEx(const char* library = "COMCTL32.DLL");
  ~CToolBarEx();
  CToolBarEx(const CToolBarEx&) = delete;
  CToolBarEx& operator=(const CToolBarEx&) = delete;

  // Attributes
  HWND Handle() const { return hwnd_; }
  HWND FloatWindow() const { return float_; }
  // The library exports InitCommonControlsEx.
  bool CanDrawFlat() const { return canFlat_; }
  // TBSTYLE_FLAT is set and the library can draw it.
  bool IsFlat() const;
  bool IsFloating() const { return float_ != nullptr; }

  // Operations
  // Creates the toolbar with its bitmap from the resource library.
  bool Create(HWND frame, UINT id, UINT bitmapId, const TBBUTTON* buttons, int count,
              int bitmapCount);
  // Adds or removes the flat style (never added without the library's
  // support) and repaints.
  void SetFlat(bool flat);
  // Floats the bar with its top-left corner at a screen point.
  bool Float(POINT at);
  // Docks it at the top of the frame again.
  void Dock();

 private:
  static LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FloatProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnBarMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void PaintSeparators();
  void PaintGrip();
  bool HasGrip() const;
  void UpdateGrip();
  void DragFrame(POINT cursor);
  void EndDrag(POINT cursor, bool cancelled);
  // Whether a screen point lies where the bar docks.
  bool InDockZone(POINT at) const;
  SIZE ButtonExtent() const;
  void FrameLayout() const;
  void FlyBy(LPARAM lParam);

  HMODULE comctl_ = nullptr;
  bool canFlat_ = false;
  HWND hwnd_ = nullptr;
  HWND frame_ = nullptr;
  HWND float_ = nullptr;
  WNDPROC baseProc_ = nullptr;
  bool dragging_ = false;
  POINT dragOffset_ = {};
  RECT dragRect_ = {};
  bool dragDrawn_ = false;
  UINT hotCommand_ = 0;
};
