// CToolBarEx: flat drawing, the grip, docking and floating.
#include "toolbar.h"

#include "framework.h"
#include "reslang.h"

namespace {

constexpr char kBarProp[] = "KwToolBarEx";
constexpr char kFloatClass[] = "KitwrightFloatBar";
// Room for the double grip at the left of a docked flat bar (x = 2 to 8),
// and 2 pixels more before the first button.
constexpr int kGripRoom = 8 + 2;
// How far outside the docking band a drop still docks.
constexpr int kDockSlack = 16;

CToolBarEx* FromBar(HWND hwnd) { return static_cast<CToolBarEx*>(::GetPropA(hwnd, kBarProp)); }

void VerticalLine(HDC dc, int x, int top, int bottom, int colour) {
  RECT line = {x, top, x + 1, bottom};
  ::FillRect(dc, &line, ::GetSysColorBrush(colour));
}

}  // namespace

CToolBarEx::CToolBarEx(const char* library) {
  comctl_ = ::LoadLibraryA(library);
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  using Init = void(WINAPI*)();
  auto initEx = comctl_ ? reinterpret_cast<InitEx>(reinterpret_cast<void*>(
                              ::GetProcAddress(comctl_, "InitCommonControlsEx")))
                        : nullptr;
  canFlat_ = initEx != nullptr;
  if (initEx) {
    INITCOMMONCONTROLSEX icc = {8, 0x42F};
    initEx(&icc);
  } else {
    auto init = comctl_ ? reinterpret_cast<Init>(reinterpret_cast<void*>(
                              ::GetProcAddress(comctl_, "InitCommonControls")))
                        : nullptr;
    if (init)
      init();
    else
      ::InitCommonControls();
  }
}

CToolBarEx::~CToolBarEx() {
  if (hwnd_ && ::IsWindow(hwnd_)) {
    ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(baseProc_));
    ::RemovePropA(hwnd_, kBarProp);
  }
  if (float_ && ::IsWindow(float_))
    ::DestroyWindow(float_);
  if (comctl_)
    ::FreeLibrary(comctl_);
}

bool CToolBarEx::IsFlat() const {
  return canFlat_ && hwnd_ && (::GetWindowLongA(hwnd_, GWL_STYLE) & TBSTYLE_FLAT) != 0;
}

bool CToolBarEx::Create(HWND frame, UINT id, UINT bitmapId, const TBBUTTON* buttons, int count,
                        int bitmapCount) {
  frame_ = frame;
  DWORD style = WS_CHILD | WS_VISIBLE | CCS_TOP | TBSTYLE_TOOLTIPS;
  hwnd_ = theLanguageArray.CreateToolbarEx(frame, style, id, bitmapCount, bitmapId, buttons, count,
                                           16, 15, 16, 15, sizeof(TBBUTTON));
  if (!hwnd_)
    return false;
  ::SetPropA(hwnd_, kBarProp, this);
  baseProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CToolBarEx::BarProc)));
  return true;
}

void CToolBarEx::SetFlat(bool flat) {
  if (!hwnd_)
    return;
  LONG style = ::GetWindowLongA(hwnd_, GWL_STYLE);
  LONG want = (flat && canFlat_) ? (style | TBSTYLE_FLAT) : (style & ~TBSTYLE_FLAT);
  if (want != style) {
    ::SetWindowLongA(hwnd_, GWL_STYLE, want);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ::SendMessageA(hwnd_, TB_AUTOSIZE, 0, 0);
    FrameLayout();
  }
  UpdateGrip();
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

SIZE CToolBarEx::ButtonExtent() const {
  SIZE size = {0, 0};
  int count = static_cast<int>(::SendMessageA(hwnd_, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    RECT r;
    if (::SendMessageA(hwnd_, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) {
      size.cx = r.right > size.cx ? r.right : size.cx;
      size.cy = r.bottom > size.cy ? r.bottom : size.cy;
    }
  }
  return size;
}

void CToolBarEx::FrameLayout() const {
  if (!frame_)
    return;
  RECT client;
  ::GetClientRect(frame_, &client);
  ::SendMessageA(frame_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

bool CToolBarEx::Float(POINT at) {
  if (!hwnd_)
    return false;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(frame_, GWLP_HINSTANCE));
  if (!float_) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExA(instance, kFloatClass, &wc)) {
      wc = {};
      wc.cbSize = sizeof wc;
      wc.style = CS_DBLCLKS;
      wc.lpfnWndProc = &CToolBarEx::FloatProc;
      wc.hInstance = instance;
      wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.lpszClassName = kFloatClass;
      if (!::RegisterClassExA(&wc))
        return false;
    }
    float_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, kFloatClass, "",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, at.x, at.y,
                               100, 40, frame_, nullptr, instance, nullptr);
    if (!float_)
      return false;
    ::SetPropA(float_, kBarProp, this);
    ::SetWindowLongA(hwnd_, GWL_STYLE, ::GetWindowLongA(hwnd_, GWL_STYLE) | CCS_NODIVIDER);
    ::SetParent(hwnd_, float_);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    UpdateGrip();
  }
  SIZE extent = ButtonExtent();
  RECT bar;
  ::GetWindowRect(hwnd_, &bar);
  RECT want = {0, 0, extent.cx + 4, bar.bottom - bar.top};
  ::AdjustWindowRectEx(&want, static_cast<DWORD>(::GetWindowLongA(float_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongA(float_, GWL_EXSTYLE)));
  ::SetWindowPos(float_, nullptr, at.x, at.y, want.right - want.left, want.bottom - want.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::SendMessageA(hwnd_, TB_AUTOSIZE, 0, 0);
  FrameLayout();
  return true;
}

void CToolBarEx::Dock() {
  if (!float_ || !hwnd_)
    return;
  ::SetParent(hwnd_, frame_);
  ::SetWindowLongA(hwnd_, GWL_STYLE, ::GetWindowLongA(hwnd_, GWL_STYLE) & ~CCS_NODIVIDER);
  ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  HWND gone = float_;
  float_ = nullptr;
  ::RemovePropA(gone, kBarProp);
  ::DestroyWindow(gone);
  UpdateGrip();
  ::SendMessageA(hwnd_, TB_AUTOSIZE, 0, 0);
  FrameLayout();
  ::InvalidateRect(frame_, nullptr, TRUE);
}

bool CToolBarEx::InDockZone(POINT at) const {
  RECT client;
  ::GetClientRect(frame_, &client);
  ::MapWindowPoints(frame_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  RECT bar;
  ::GetWindowRect(hwnd_, &bar);
  RECT zone = {client.left - kDockSlack, client.top - kDockSlack, client.right + kDockSlack,
               client.top + (bar.bottom - bar.top) + kDockSlack};
  return ::PtInRect(&zone, at) != FALSE;
}

void CToolBarEx::PaintSeparators() {
  HDC dc = ::GetDC(hwnd_);
  int count = static_cast<int>(::SendMessageA(hwnd_, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button = {};
    RECT r;
    if (!::SendMessageA(hwnd_, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)) ||
        !(button.fsStyle & TBSTYLE_SEP) || (button.fsState & TBSTATE_HIDDEN) ||
        !::SendMessageA(hwnd_, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
      continue;
    int x = (r.left + r.right) / 2;
    VerticalLine(dc, x, r.top, r.bottom, COLOR_BTNSHADOW);
    VerticalLine(dc, x + 1, r.top, r.bottom, COLOR_BTNHIGHLIGHT);
  }
  ::ReleaseDC(hwnd_, dc);
}

void CToolBarEx::PaintGrip() {
  HDC dc = ::GetDC(hwnd_);
  RECT client;
  ::GetClientRect(hwnd_, &client);
  for (int left : {2, 6}) {
    RECT grip = {left, 3, left + 3, client.bottom - 4};
    ::DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
  }
  ::ReleaseDC(hwnd_, dc);
}

bool CToolBarEx::HasGrip() const { return !float_ && IsFlat(); }

void CToolBarEx::UpdateGrip() {
  // The buttons move right to leave the grip its room.
  ::SendMessageA(hwnd_, TB_SETINDENT, HasGrip() ? kGripRoom : 0, 0);
  // Not every toolbar lays its buttons out again for a new indent; hiding
  // and showing the first button makes it.
  TBBUTTON first = {};
  if (::SendMessageA(hwnd_, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first))) {
    ::SendMessageA(hwnd_, TB_HIDEBUTTON, static_cast<WPARAM>(first.idCommand), TRUE);
    ::SendMessageA(hwnd_, TB_HIDEBUTTON, static_cast<WPARAM>(first.idCommand),
                   (first.fsState & TBSTATE_HIDDEN) ? TRUE : FALSE);
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void CToolBarEx::DragFrame(POINT cursor) {
  HDC dc = ::GetDC(nullptr);
  if (dragDrawn_)
    ::DrawFocusRect(dc, &dragRect_);
  RECT bar;
  ::GetWindowRect(hwnd_, &bar);
  dragRect_ = {cursor.x - dragOffset_.x, cursor.y - dragOffset_.y, 0, 0};
  dragRect_.right = dragRect_.left + (bar.right - bar.left);
  dragRect_.bottom = dragRect_.top + (bar.bottom - bar.top);
  if (!float_ && !InDockZone(cursor))
    dragRect_.right = dragRect_.left + ButtonExtent().cx + 4;
  ::DrawFocusRect(dc, &dragRect_);
  dragDrawn_ = true;
  ::ReleaseDC(nullptr, dc);
}

void CToolBarEx::EndDrag(POINT cursor, bool cancelled) {
  if (!dragging_)
    return;
  dragging_ = false;
  if (dragDrawn_) {
    HDC dc = ::GetDC(nullptr);
    ::DrawFocusRect(dc, &dragRect_);
    ::ReleaseDC(nullptr, dc);
    dragDrawn_ = false;
  }
  if (::GetCapture() == hwnd_)
    ::ReleaseCapture();
  if (cancelled)
    return;
  if (InDockZone(cursor))
    Dock();
  else
    Float({cursor.x - dragOffset_.x, cursor.y - dragOffset_.y});
}

void CToolBarEx::FlyBy(LPARAM lParam) {
  POINT local = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  LRESULT index = ::SendMessageA(hwnd_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&local));
  UINT command = 0;
  TBBUTTON button = {};
  if (index >= 0 &&
      ::SendMessageA(hwnd_, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)) &&
      !(button.fsStyle & TBSTYLE_SEP))
    command = static_cast<UINT>(button.idCommand);
  if (command == hotCommand_)
    return;
  if (!hotCommand_) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd_, 0};
    ::TrackMouseEvent(&track);
  }
  hotCommand_ = command;
  ::SendMessageA(frame_, kMsgFlyBy, command, 0);
}

LRESULT CToolBarEx::OnBarMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      if (IsFlat()) {
        RECT r;
        ::GetClientRect(hwnd_, &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
      }
      break;
    case WM_PAINT: {
      LRESULT result = ::CallWindowProcA(baseProc_, hwnd_, msg, wParam, lParam);
      if (IsFlat())
        PaintSeparators();
      if (HasGrip())
        PaintGrip();
      return result;
    }
    case WM_WINDOWPOSCHANGED: {
      LRESULT result = ::CallWindowProcA(baseProc_, hwnd_, msg, wParam, lParam);
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (IsFlat() && !(pos->flags & SWP_NOMOVE))
        ::InvalidateRect(::GetParent(hwnd_), nullptr, TRUE);
      return result;
    }
    case WM_LBUTTONDOWN: {
      POINT cursor;
      ::GetCursorPos(&cursor);
      POINT local = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      // Buttons press as usual; the grip and the bar's background start a drag.
      if (::SendMessageA(hwnd_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&local)) >= 0)
        break;
      RECT bar;
      ::GetWindowRect(hwnd_, &bar);
      dragOffset_ = {cursor.x - bar.left, cursor.y - bar.top};
      dragging_ = true;
      dragDrawn_ = false;
      ::SetCapture(hwnd_);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (dragging_) {
        POINT cursor;
        ::GetCursorPos(&cursor);
        DragFrame(cursor);
        return 0;
      }
      FlyBy(lParam);
      break;
    case kwf::kMsgHelpHitTest: {
      // A button's help is its command's: the command plus 0x10000.
      POINT local = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      LRESULT index = ::SendMessageA(hwnd_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&local));
      TBBUTTON button = {};
      if (index < 0 ||
          !::SendMessageA(hwnd_, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)) ||
          (button.fsStyle & TBSTYLE_SEP))
        return 0;
      return 0x10000 + button.idCommand;
    }
    case WM_MOUSELEAVE:
      if (hotCommand_) {
        hotCommand_ = 0;
        ::SendMessageA(frame_, kMsgFlyBy, 0, 0);
      }
      break;
    case WM_LBUTTONUP:
      if (dragging_) {
        POINT cursor;
        ::GetCursorPos(&cursor);
        // A click without a move is no drag.
        bool moved = dragDrawn_;
        EndDrag(cursor, !moved);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (dragging_ && wParam == VK_ESCAPE) {
        POINT cursor;
        ::GetCursorPos(&cursor);
        EndDrag(cursor, true);
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      if (dragging_ && reinterpret_cast<HWND>(lParam) != hwnd_) {
        POINT cursor = {};
        EndDrag(cursor, true);
      }
      break;
    case WM_DESTROY: {
      LRESULT result = ::CallWindowProcA(baseProc_, hwnd_, msg, wParam, lParam);
      ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(baseProc_));
      ::RemovePropA(hwnd_, kBarProp);
      hwnd_ = nullptr;
      return result;
    }
  }
  return ::CallWindowProcA(baseProc_, hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK CToolBarEx::BarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CToolBarEx* self = FromBar(hwnd);
  if (!self)
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
  return self->OnBarMessage(msg, wParam, lParam);
}

LRESULT CALLBACK CToolBarEx::FloatProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CToolBarEx* self = FromBar(hwnd);
  if (self) {
    switch (msg) {
      case WM_COMMAND:
      case WM_NOTIFY:
        // The bar's commands and tool tips are the frame's.
        return ::SendMessageA(self->frame_, msg, wParam, lParam);
      case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION) {
          self->Dock();
          return 0;
        }
        break;
      case WM_EXITSIZEMOVE: {
        RECT r;
        ::GetWindowRect(hwnd, &r);
        POINT corner = {r.left, r.top};
        if (self->InDockZone(corner))
          self->Dock();
        return 0;
      }
      case WM_CLOSE:
        // No command shows a hidden bar again, so closing docks it.
        self->Dock();
        return 0;
      case WM_DESTROY:
        if (self->float_ == hwnd)
          self->float_ = nullptr;
        ::RemovePropA(hwnd, kBarProp);
        break;
    }
  }
  return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}
