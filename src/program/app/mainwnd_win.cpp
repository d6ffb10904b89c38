// CKitwrightWnd: the fixed-size main window.
#include "mainwnd.h"

#include "app.h"
#include "profile.h"
#include "reslang.h"
#include "sheets.h"
#include "tutorial.h"

#include <commctrl.h>

namespace {

constexpr char kSettings[] = "U:Settings";
constexpr DWORD kFrameStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr UINT kIdleStringId = IDS_AFX_IDLE;
constexpr UINT kHelpModeStringId = IDS_AFX_HELPMODE;
constexpr int kToolbarBitmapId = 16;

const TBBUTTON kButtons[] = {
    {0, ID_FILE_NEW, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {1, ID_FILE_OPEN, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {2, ID_FILE_SAVE, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, 0},
    {3, ID_BUILD, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {4, ID_TEST_RUN, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, 0},
    {5, ID_HELP_FINDER, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {6, ID_CONTEXT_HELP, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
};

}  // namespace

CKitwrightWnd::CKitwrightWnd() = default;

CKitwrightWnd::~CKitwrightWnd() {
  if (hwnd_)
    ::DestroyWindow(hwnd_);
  if (font_)
    ::DeleteObject(font_);
}

bool CKitwrightWnd::CreateFrame(HINSTANCE instance) {
  instance_ = instance;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(instance, kMainWindowClass, &wc)) {
    wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;  // no CS_HREDRAW | CS_VREDRAW: the size is fixed
    wc.lpfnWndProc = &kwf::Window::StaticProc;
    wc.hInstance = instance;
    wc.hIcon = theLanguageArray.LoadIcon(MAKEINTRESOURCEA(2));
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    if (!theLanguageArray.RegisterWindowClass(&wc))
      return false;
  }
  int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
  int x = static_cast<int>(ProfileGetInt(kSettings, "XPos", (cx - kMainWindowWidth) / 2));
  int y = static_cast<int>(ProfileGetInt(kSettings, "YPos", (cy - kMainWindowHeight) / 2));
  OSVERSIONINFOA os = {};
  os.dwOSVersionInfoSize = sizeof os;
  ::GetVersionExA(&os);
  DWORD exStyle = os.dwMajorVersion >= 4 ? WS_EX_DLGMODALFRAME : 0;
  HMENU menu = theLanguageArray.LoadMenu(MAKEINTRESOURCEA(IDR_MAINFRAME));
  CKitwrightApp* app = GetKitwrightApp();
  std::string title = app ? app->Title() : std::string("Kitwright");
  if (!Create(exStyle, kMainWindowClass, title.c_str(), kFrameStyle, x, y, kMainWindowWidth,
              kMainWindowHeight, nullptr, menu, instance)) {
    if (menu)
      ::DestroyMenu(menu);
    return false;
  }
  LONG ex = ::GetWindowLongA(hwnd_, GWL_EXSTYLE);
  ::SetWindowLongA(hwnd_, GWL_EXSTYLE, ex & ~WS_EX_CLIENTEDGE);
  return true;
}

void CKitwrightWnd::UnregisterClass(HINSTANCE instance) {
  ::UnregisterClassA(kMainWindowClass, instance);
}

bool CKitwrightWnd::OnCreate() {
  font_ = ::CreateFontA(-8, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
  ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

  if (!toolbar_.Create(hwnd_, kToolBarId, kToolbarBitmapId, kButtons,
                      static_cast<int>(sizeof kButtons / sizeof kButtons[0]), 7))
    return false;
  toolbar_.SetFlat(ProfileGetInt(kSettings, "FlatToolbar", 1) != 0);

  status_ = ::CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0,
                              0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)),
                              instance_, nullptr);
  if (!status_)
    return false;
  RECT client;
  ::GetClientRect(hwnd_, &client);
  int parts[3] = {client.right - 80, client.right - 40, -1};
  ::SendMessageA(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
  SetStatusText(kwf::LoadResString(kIdleStringId).c_str());
  UpdateIndicators();

  RECT area = {0, 0, client.right, client.bottom};
  if (!view_.CreateView(hwnd_, area, instance_))
    return false;
  Layout();
  ::PostMessageA(hwnd_, kMsgShow, 0, 0);
  // The splash stays in front while the window settles.
  ::Sleep(1000);
  return true;
}

void CKitwrightWnd::Layout() {
  if (!toolbar_.Handle() || !status_)
    return;
  int top = 0;
  if (!toolbar_.IsFloating()) {
    ::SendMessageA(toolbar_.Handle(), TB_AUTOSIZE, 0, 0);
    RECT tb;
    ::GetWindowRect(toolbar_.Handle(), &tb);
    top = tb.bottom - tb.top;
  }
  ::SendMessageA(status_, WM_SIZE, 0, 0);
  RECT client, sb;
  ::GetClientRect(hwnd_, &client);
  ::GetWindowRect(status_, &sb);
  int bottom = client.bottom - (sb.bottom - sb.top);
  int parts[3] = {client.right - 80, client.right - 40, -1};
  ::SendMessageA(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
  if (view_.Handle())
    ::SetWindowPos(view_.Handle(), nullptr, 0, top, client.right, bottom - top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CKitwrightWnd::UpdateIndicators() {
  if (!status_)
    return;
  // CAP and NUM show while their keys are toggled on.
  const struct {
    int pane;
    int key;
    UINT text;
  } indicators[] = {{1, VK_CAPITAL, 0xE701}, {2, VK_NUMLOCK, 0xE702}};
  for (const auto& i : indicators) {
    std::string want = (::GetKeyState(i.key) & 1) ? kwf::LoadResString(i.text) : std::string();
    char now[32] = {};
    if (LOWORD(::SendMessageA(status_, SB_GETTEXTLENGTHA, static_cast<WPARAM>(i.pane), 0)) < sizeof now)
      ::SendMessageA(status_, SB_GETTEXTA, static_cast<WPARAM>(i.pane), reinterpret_cast<LPARAM>(now));
    if (want != now)
      ::SendMessageA(status_, SB_SETTEXTA, static_cast<WPARAM>(i.pane),
                     reinterpret_cast<LPARAM>(want.c_str()));
  }
}

void CKitwrightWnd::SetStatusText(const char* text) {
  if (status_)
    ::SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

void CKitwrightWnd::UpdateTitle(const std::string& documentTitle) {
  CKitwrightApp* app = GetKitwrightApp();
  std::string title = (app ? app->Title() : std::string()) + " - " + documentTitle;
  ::SetWindowTextA(hwnd_, title.c_str());
}

// The frame's commands: the application's document and help commands and
// the frame's own. The view's commands come first (CKitwrightWnd::OnCommand).
const kwf::Command<CKitwrightWnd> CKitwrightWnd::kCommands[] = {
    {ID_FILE_NEW, ID_FILE_NEW, &CKitwrightWnd::OnFileNew, &CKitwrightWnd::NotBuilding},
    {ID_FILE_OPEN, ID_FILE_OPEN, &CKitwrightWnd::OnFileOpen, &CKitwrightWnd::NotBuilding},
    {ID_FILE_SAVE, ID_FILE_SAVE, &CKitwrightWnd::OnFileSave, &CKitwrightWnd::NotBuilding},
    {ID_FILE_SAVE_AS, ID_FILE_SAVE_AS, &CKitwrightWnd::OnFileSaveAs, &CKitwrightWnd::NotBuilding},
    {ID_FILE_SEND_MAIL, ID_FILE_SEND_MAIL, &CKitwrightWnd::OnFileSendMail, &CKitwrightWnd::MailEnabled},
    {ID_FILE_MRU_FIRST, ID_FILE_MRU_FIRST + CKitwrightApp::kRecentFiles - 1, &CKitwrightWnd::OnRecentFile,
     &CKitwrightWnd::RecentFileEnabled},
    {ID_APP_ABOUT, ID_APP_ABOUT, &CKitwrightWnd::OnAppAbout, nullptr},
    {ID_APP_EXIT, ID_APP_EXIT, &CKitwrightWnd::OnAppExit, nullptr},
    {ID_HELP_FINDER, ID_HELP_FINDER, &CKitwrightWnd::OnHelpFinder, &CKitwrightWnd::HelpEnabled},
    {ID_CONTEXT_HELP, ID_CONTEXT_HELP, &CKitwrightWnd::OnContextHelp, &CKitwrightWnd::HelpEnabled},
    {ID_HELP, ID_HELP, &CKitwrightWnd::OnHelp, &CKitwrightWnd::HelpEnabled},
    {ID_DEFAULT_HELP, ID_DEFAULT_HELP, &CKitwrightWnd::OnHelpContents, &CKitwrightWnd::HelpEnabled},
    {ID_TOOLS_OPTIONS, ID_TOOLS_OPTIONS, &CKitwrightWnd::OnOptions, nullptr},
    {ID_HELP_TUTORIAL, ID_HELP_TUTORIAL, &CKitwrightWnd::OnStartTutorial, &CKitwrightWnd::HelpEnabled},
    {ID_TUTORIAL_FIRST, ID_TUTORIAL_LAST, &CKitwrightWnd::OnTutorialStep, nullptr},
};

bool CKitwrightWnd::CommandEnabled(UINT id, bool* enabled) const {
  return kwf::QueryCommand(this, kCommands, id, enabled);
}

bool CKitwrightWnd::OnCommand(UINT id) {
  if (view_.Handle() && view_.OnCommand(id))
    return true;
  return kwf::RunCommand(this, kCommands, id);
}

// Enable rules

bool CKitwrightWnd::NotBuilding(UINT) const { return !view_.Building(); }

bool CKitwrightWnd::MailEnabled(UINT) const { return CKitwrightApp::MailAvailable() && !view_.Building(); }

bool CKitwrightWnd::RecentFileEnabled(UINT id) const {
  // Only an entry that names a file; the placeholder of an empty list is greyed.
  CKitwrightApp* app = GetKitwrightApp();
  return app && !view_.Building() && id - ID_FILE_MRU_FIRST < app->RecentFiles().size();
}

bool CKitwrightWnd::HelpEnabled(UINT) const {
  CKitwrightApp* app = GetKitwrightApp();
  return app && !app->HelpFile().empty();
}

// Handlers

void CKitwrightWnd::OnFileNew(UINT) { GetKitwrightApp()->OnFileNew(); }
void CKitwrightWnd::OnFileOpen(UINT) { GetKitwrightApp()->OnFileOpen(); }
void CKitwrightWnd::OnFileSave(UINT) { GetKitwrightApp()->OnFileSave(); }
void CKitwrightWnd::OnFileSaveAs(UINT) { GetKitwrightApp()->OnFileSaveAs(); }
void CKitwrightWnd::OnFileSendMail(UINT) { GetKitwrightApp()->OnFileSendMail(); }
void CKitwrightWnd::OnAppAbout(UINT) { GetKitwrightApp()->OnAppAbout(); }
void CKitwrightWnd::OnAppExit(UINT) { ::PostMessageA(hwnd_, WM_CLOSE, 0, 0); }
void CKitwrightWnd::OnHelpFinder(UINT) { GetKitwrightApp()->WinHelp(0, HELP_FINDER); }
void CKitwrightWnd::OnContextHelp(UINT) { OnWhatsThis(); }
void CKitwrightWnd::OnHelpContents(UINT) { GetKitwrightApp()->WinHelp(0, HELP_CONTENTS); }
void CKitwrightWnd::OnStartTutorial(UINT) { StartTutorial(); }
void CKitwrightWnd::OnTutorialStep(UINT id) { OnTutorialCommand(id, 0); }

void CKitwrightWnd::OnHelp(UINT) {
  // Help on the active context: the view passes it to its page.
  if (view_.Handle() && ::SendMessageA(view_.Handle(), kwf::kMsgCommandHelp, 0, 0))
    return;
  GetKitwrightApp()->WinHelp(0, HELP_CONTENTS);
}

void CKitwrightWnd::OnRecentFile(UINT id) {
  CKitwrightApp* app = GetKitwrightApp();
  std::vector<std::string> recent = app->RecentFiles();
  size_t index = id - ID_FILE_MRU_FIRST;
  if (index < recent.size() && app->SaveModified())
    app->OpenDocumentFile(recent[index]);
}

void CKitwrightWnd::OnInitMenuPopup(HMENU menu, bool systemMenu) {
  if (systemMenu) {
    ::EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
    ::EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
    ::EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
    ::EnableMenuItem(menu, SC_MINIMIZE,
                     MF_BYCOMMAND | (::IsIconic(hwnd_) ? MF_GRAYED : MF_ENABLED));
    return;
  }
  RemoveSendWithoutMail(menu);
  // The recent files take the place of their first item.
  CKitwrightApp* app = GetKitwrightApp();
  int at = -1;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    UINT id = ::GetMenuItemID(menu, i);
    if (id >= ID_FILE_MRU_FIRST && id < ID_FILE_MRU_FIRST + CKitwrightApp::kRecentFiles) {
      if (at < 0)
        at = i;
      ::DeleteMenu(menu, static_cast<UINT>(i--), MF_BYPOSITION);
    }
  }
  if (at >= 0 && app) {
    std::vector<std::string> recent = app->RecentFiles();
    if (recent.empty()) {
      ::InsertMenuA(menu, static_cast<UINT>(at), MF_BYPOSITION | MF_STRING | MF_GRAYED, ID_FILE_MRU_FIRST,
                    kwf::ResSubString(ID_FILE_MRU_FIRST, 1).empty()
                        ? "Recent File"
                        : kwf::ResSubString(ID_FILE_MRU_FIRST, 1).c_str());
    }
    for (size_t i = 0; i < recent.size(); ++i) {
      std::string text = "&" + std::to_string(i + 1) + " ";
      for (char c : recent[i]) {
        text += c;
        if (c == '&')
          text += '&';
      }
      ::InsertMenuA(menu, static_cast<UINT>(at) + static_cast<UINT>(i),
                    MF_BYPOSITION | MF_STRING, ID_FILE_MRU_FIRST + static_cast<UINT>(i), text.c_str());
    }
  }
  view_.OnInitMenuPopup(menu, false);
}

void CKitwrightWnd::OnOptions(UINT) {
  CKitwrightApp* app = GetKitwrightApp();
  CConfigSheet sheet(toolbar_.CanDrawFlat(), app ? app->Extensions() : nullptr);
  sheet.DoModal(hwnd_);
  toolbar_.SetFlat(ProfileGetInt(kSettings, "FlatToolbar", 1) != 0);
}

DWORD CKitwrightWnd::HelpHitTest(POINT at) const {
  HWND target = ::WindowFromPoint(at);
  for (HWND w = target; w; w = ::GetParent(w)) {
    POINT local = at;
    ::ScreenToClient(w, &local);
    LRESULT context = ::SendMessageA(w, kwf::kMsgHelpHitTest, 0, MAKELPARAM(local.x, local.y));
    if (context)
      return static_cast<DWORD>(context);
    if (w == hwnd_)
      break;
  }
  return 0;
}

void CKitwrightWnd::OnWhatsThis() {
  // The what's-this mode: the next click names the window to explain.
  CKitwrightApp* app = GetKitwrightApp();
  ::SetCapture(hwnd_);
  HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_HELP));
  SetStatusText(kwf::LoadResString(kHelpModeStringId).c_str());
  DWORD context = 0;
  bool done = false;
  MSG msg;
  while (!done && ::GetCapture() == hwnd_) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The quit belongs to the main loop.
      if (got == 0)
        ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    switch (msg.message) {
      case WM_LBUTTONDOWN:
      case WM_NCLBUTTONDOWN: {
        POINT at;
        ::GetCursorPos(&at);
        context = HelpHitTest(at);
        done = true;
        break;
      }
      case WM_RBUTTONDOWN:
        done = true;
        break;
      case WM_KEYDOWN:
        if (msg.wParam == VK_ESCAPE)
          done = true;
        break;
      case WM_MOUSEMOVE:
      case WM_NCMOUSEMOVE:
      case WM_SETCURSOR:
        ::SetCursor(::LoadCursorA(nullptr, IDC_HELP));
        break;
      default:
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
  }
  if (::GetCapture() == hwnd_)
    ::ReleaseCapture();
  ::SetCursor(old);
  SetStatusText(kwf::LoadResString(kIdleStringId).c_str());
  if (context && app)
    app->WinHelp(context, HELP_CONTEXT);
}

void CKitwrightWnd::RemoveSendWithoutMail(HMENU menu) {
  if (CKitwrightApp::MailAvailable())
    return;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    if (::GetMenuItemID(menu, i) != ID_FILE_SEND_MAIL)
      continue;
    UINT above = i > 0 ? ::GetMenuState(menu, static_cast<UINT>(i - 1), MF_BYPOSITION) : 0;
    UINT below = ::GetMenuState(menu, static_cast<UINT>(i + 1), MF_BYPOSITION);
    ::RemoveMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
    // Two separators would now meet: one goes with it.
    if (above != static_cast<UINT>(-1) && below != static_cast<UINT>(-1) &&
        (above & MF_SEPARATOR) && (below & MF_SEPARATOR))
      ::RemoveMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
    return;
  }
}

void CKitwrightWnd::StartTutorial() {
  TutorialState& tutorial = Tutorial();
  tutorial.tracking = false;
  ShowTrainingCard(HELP_CONTEXT, 0xF000);
  ::GetWindowRect(hwnd_, &savedRect_);
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea_, 0);
  int workWidth = workArea_.right - workArea_.left;
  int width = savedRect_.right - savedRect_.left;
  int x = workWidth - width - workWidth / 3;
  ::SetWindowPos(hwnd_, nullptr, x, savedRect_.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  cardRect_ = {workWidth - workWidth / 3, savedRect_.top, workWidth, savedRect_.bottom};
}

void CKitwrightWnd::EndTutorial(bool post) {
  TutorialState& tutorial = Tutorial();
  if (post)
    ::PostMessageA(hwnd_, kMsgEndTutorial, 0, 0);
  tutorial.lastContext = 0;
  tutorial.step = 0;
  tutorial.tracking = false;
}

void CKitwrightWnd::OnTutorialCommand(UINT id, LPARAM parameter) {
  TutorialState& tutorial = Tutorial();
  switch (id) {
    case 0x3000:
      tutorial.tracking = true;
      tutorial.step = 0;
      tutorial.lastContext = 0;
      break;
    case 0x3001:
      if (tutorial.lastContext)
        break;
      if (view_.GetActiveTab() != 0) {
        ShowTrainingCard(HELP_CONTEXT, 0xF001);
      } else {
        ShowTrainingCard(HELP_CONTEXT, 0xF002);
        ++tutorial.step;
      }
      break;
    case 0x3003:
      EndTutorial(tutorial.tracking);
      break;
    case 0x3004:
      ShowTrainingCard(HELP_CONTEXT, static_cast<DWORD>(parameter));
      break;
    case 0x3006:
      if (CTabClient* page = view_.GetActiveClient())
        if (page->Handle())
          ::SendMessageA(page->Handle(), WM_COMMAND, static_cast<WPARAM>(parameter), 0);
      break;
    case 0x3007: {
      HWND card = reinterpret_cast<HWND>(parameter);
      RECT r;
      if (card && ::GetWindowRect(card, &r)) {
        RECT me;
        ::GetWindowRect(hwnd_, &me);
        int workWidth = workArea_.right - workArea_.left;
        ::SetWindowPos(card, nullptr, cardRect_.left, me.top, workWidth / 3, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    }
  }
}

void CKitwrightWnd::OnDestroy() {
  if (Tutorial().tracking)
    ::SetWindowPos(hwnd_, nullptr, savedRect_.left, savedRect_.top,
                   savedRect_.right - savedRect_.left, savedRect_.bottom - savedRect_.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  if (!::IsIconic(hwnd_)) {
    RECT r;
    ::GetWindowRect(hwnd_, &r);
    ProfileWriteInt(kSettings, "XPos", r.left);
    ProfileWriteInt(kSettings, "YPos", r.top);
  }
  CKitwrightApp* app = GetKitwrightApp();
  if (app) {
    app->WinHelp(0, HELP_QUIT);
    app->WinHelpFile(app->HelpFile() + ">TCard", 0, HELP_QUIT);
  }
  Tutorial() = TutorialState();
  ::PostQuitMessage(0);
}

LRESULT CKitwrightWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case kMsgShow: {
      ::ShowWindow(hwnd_, SW_SHOW);
      CKitwrightApp* app = GetKitwrightApp();
      if (app)
        app->KeepSplashInFront();
      return 0;
    }
    case WM_SIZE:
      Layout();
      return 0;
    case CToolBarEx::kMsgFlyBy:
      if (wParam)
        SetStatusText(kwf::ResSubString(static_cast<UINT>(wParam), 0).c_str());
      else
        SetStatusText(kwf::LoadResString(kIdleStringId).c_str());
      return 0;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      if (hdr->code == TTN_GETDISPINFOA) {
        // Tool tips are the second part of a command's prompt.
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        tipText_ = kwf::ResSubString(static_cast<UINT>(hdr->idFrom), 1);
        info->lpszText = const_cast<char*>(tipText_.c_str());
        info->hinst = nullptr;
        return 0;
      }
      break;
    }
    case WM_TCARD:
      if (wParam == IDOK)
        OnTutorialCommand(0x3001, lParam);
      else if (wParam == IDCLOSE)
        OnTutorialCommand(0x3003, lParam);
      else if (wParam == HELP_TCARD_OTHER_CALLER)
        EndTutorial(true);
      else if (wParam >= 0x3000 && wParam <= 0x3007)
        OnTutorialCommand(static_cast<UINT>(wParam), lParam);
      return 0;
    case kMsgEndTutorial: {
      CKitwrightApp* app = GetKitwrightApp();
      ::Sleep(100);
      if (app)
        app->WinHelpFile(app->HelpFile() + ">TCard", 0, HELP_QUIT);
      ::Sleep(100);
      if (HWND card = ::FindWindowA("MS_TCARDHELP", nullptr))
        ::DestroyWindow(card);
      ::SetWindowPos(hwnd_, nullptr, savedRect_.left, savedRect_.top,
                     savedRect_.right - savedRect_.left, savedRect_.bottom - savedRect_.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam)))
        return 0;
      break;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), HIWORD(lParam) != 0);
      return 0;
    case WM_MENUSELECT: {
      UINT id = LOWORD(wParam), flags = HIWORD(wParam);
      if (flags == 0xFFFF && lParam == 0)
        SetStatusText(kwf::LoadResString(kIdleStringId).c_str());
      else if (!(flags & (MF_POPUP | MF_SEPARATOR)))
        SetStatusText(kwf::ResSubString(id, 0).c_str());
      return 0;
    }
    case WM_CLOSE: {
      CKitwrightApp* app = GetKitwrightApp();
      // No build outlives its window: cancelled (when the user agrees) and waited for.
      if (!view_.CanClose())
        return 0;
      if (app && !app->SaveModified())
        return 0;
      ::DestroyWindow(hwnd_);
      return 0;
    }
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return CShadeCapFrame::OnMessage(msg, wParam, lParam);
}
