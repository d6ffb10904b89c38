// The tab view and its pages.
#include "tabview.h"

#include "createsetup.h"

#include "app.h"
#include "reslang.h"
#include "resids.h"
#include "sheets.h"
#include "tutorial.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kViewClass[] = "KitwrightTabView";
constexpr UINT kPageBuildButton = 702;
constexpr int kViewId = 0xE900;

// A plain template: style, extended style, item count, x, y, cx, cy, then
// the menu, class and title as word arrays.
constexpr size_t kTemplateHeader = 18;

// Skips one menu/class entry at *pos; false when the bytes end first.
bool SkipSzOrOrd(const unsigned char* data, size_t size, size_t* pos) {
  if (*pos + 2 > size)
    return false;
  WORD first;
  std::memcpy(&first, data + *pos, 2);
  if (first == 0xFFFF) {
    if (*pos + 4 > size)
      return false;
    *pos += 4;
    return true;
  }
  while (*pos + 2 <= size) {
    WORD c;
    std::memcpy(&c, data + *pos, 2);
    *pos += 2;
    if (c == 0)
      return true;
  }
  return false;
}

}  // namespace

std::string DialogTemplateCaption(const unsigned char* data, size_t size) {
  if (!data || size < kTemplateHeader + 2)
    return std::string();
  WORD menu;
  std::memcpy(&menu, data + kTemplateHeader, 2);
  if (menu != 0)
    return std::string();
  size_t pos = kTemplateHeader + 2;
  if (!SkipSzOrOrd(data, size, &pos))
    return std::string();
  std::wstring title;
  for (;;) {
    if (pos + 2 > size)
      return std::string();
    WORD c;
    std::memcpy(&c, data + pos, 2);
    pos += 2;
    if (c == 0)
      break;
    title += static_cast<wchar_t>(c);
  }
  if (title.empty())
    return std::string();
  int n = ::WideCharToMultiByte(CP_ACP, 0, title.c_str(), static_cast<int>(title.size()), nullptr,
                                0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, title.c_str(), static_cast<int>(title.size()), &out[0], n,
                        nullptr, nullptr);
  return out;
}

// CTabClient

CTabClient::CTabClient(UINT templateId, const char* caption) : Dialog(templateId) {
  if (caption && *caption) {
    caption_ = caption;
    explicitCaption_ = true;
  }
}

bool CTabClient::LoadTemplate() {
  HINSTANCE module = theLanguageArray.GetResourceModule();
  HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(templateId_), MAKEINTRESOURCEA(5));
  const unsigned char* data = nullptr;
  DWORD size = 0;
  if (found) {
    HGLOBAL loaded = ::LoadResource(module, found);
    data = static_cast<const unsigned char*>(::LockResource(loaded));
    size = ::SizeofResource(module, found);
  }
  if (!data || size < kTemplateHeader) {
    template_.clear();
  } else {
    template_.assign(data, data + size);
    // Extended templates carry the style at offset 12.
    WORD version, signature;
    std::memcpy(&version, template_.data(), 2);
    std::memcpy(&signature, template_.data() + 2, 2);
    size_t styleAt = (version == 1 && signature == 0xFFFF) ? 12 : 0;
    if (styleAt + 4 <= template_.size()) {
      DWORD style;
      std::memcpy(&style, template_.data() + styleAt, 4);
      style = PageStyle(style);
      std::memcpy(template_.data() + styleAt, &style, 4);
    }
    if (!explicitCaption_ && styleAt == 0)
      caption_ = DialogTemplateCaption(template_.data(), template_.size());
  }
  if (caption_.empty()) {
    char text[64];
    std::snprintf(text, sizeof text, "Unknown (#%hu)", static_cast<unsigned short>(templateId_));
    caption_ = text;
  }
  return !template_.empty();
}

HWND CTabClient::CreatePage(HWND parent) {
  if (template_.empty() && !LoadTemplate())
    return nullptr;
  return CreateIndirect(reinterpret_cast<const DLGTEMPLATE*>(template_.data()), parent);
}

bool CTabClient::OnInitDialog() {
  for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    LONG style = ::GetWindowLongA(child, GWL_STYLE);
    if (style & (WS_VISIBLE | WS_TABSTOP)) {
      ::SetFocus(child);
      lastFocus_ = child;
      break;
    }
  }
  return false;
}

void CTabClient::ActivateClient(bool activate) {
  if (!activate) {
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(hwnd_, focus))
      lastFocus_ = focus;
  } else if (lastFocus_ && ::IsWindow(lastFocus_)) {
    ::SetFocus(lastFocus_);
  }
}

void CTabClient::OnHelpKey() {
  HWND focus = ::GetFocus();
  if (!focus || !::IsChild(hwnd_, focus))
    return;
  kwf::Application* app = kwf::GetApp();
  if (!app)
    return;
  DWORD id = static_cast<DWORD>(::GetDlgCtrlID(focus));
  DWORD context = id + 0x50000;
  OSVERSIONINFOA os = {};
  os.dwOSVersionInfoSize = sizeof os;
  ::GetVersionExA(&os);
  if (os.dwMajorVersion < 4) {
    app->WinHelp(context, HELP_CONTEXTPOPUP);
    return;
  }
  DWORD ids[4] = {id, context, 0, 0};
  // HELP_WM_HELP explains the window it is given: the control, not the frame.
  app->WinHelpFile(app->HelpFile(), reinterpret_cast<DWORD_PTR>(ids), HELP_WM_HELP, focus);
}

bool CTabClient::OnCommand(WORD id, WORD code, HWND control) {
  // A page is never ended by Enter or Escape.
  return id == IDOK || id == IDCANCEL;
}

bool CTabClient::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  if (msg == kwf::kMsgCommandHelp) {
    OnHelpKey();
    ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, TRUE);
    *result = TRUE;
    return true;
  }
  if (msg == WM_INITMENUPOPUP) {
    ::SendMessageA(::GetParent(hwnd_), msg, wParam, lParam);
    *result = 0;
    return true;
  }
  return false;
}

void CTabClientEx::ActivateClient(bool activate) {
  CTabClient::ActivateClient(activate);
  TutorialState& tutorial = Tutorial();
  CKitwrightApp* app = GetKitwrightApp();
  if (!activate || !tutorial.tracking || !app || !app->Frame())
    return;
  if (app->Frame()->View().GetActiveTab() != tutorial.step)
    return;
  DWORD context = TutorialStepContext(tutorial.step);
  if (context) {
    ShowTrainingCard(HELP_CONTEXT, context);
    ++tutorial.step;
  } else {
    kwf::AppMessageBox(hwnd_, "BUG: Unknown TCard Context!", MB_OK | MB_ICONSTOP);
  }
}

// CTabView

CTabView::CTabView() = default;

CTabView::~CTabView() {
  if (font_)
    ::DeleteObject(font_);
}

CTabClient* CTabView::GetActiveClient() const {
  if (active_ < 0 || active_ >= GetClientCount())
    return nullptr;
  return clients_[static_cast<size_t>(active_)];
}

HWND CTabView::CreateView(HWND frame, const RECT& area, HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(instance, kViewClass, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &kwf::Window::StaticProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kViewClass;
    if (!::RegisterClassExA(&wc))
      return nullptr;
  }
  return Create(0, kViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                area.left, area.top, area.right - area.left, area.bottom - area.top, frame,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewId)), instance);
}

bool CTabView::AddClient(CTabClient* client) {
  if (!tab_)
    return false;
  if (!client->TemplateLoaded())
    client->LoadTemplate();
  clients_.push_back(client);
  int index = GetClientCount() - 1;
  TCITEMA item = {};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = const_cast<char*>(client->Caption().c_str());
  item.iImage = -1;
  if (::SendMessageA(tab_, TCM_INSERTITEMA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item)) < 0) {
    clients_.pop_back();
    return false;
  }
  HWND page = client->CreatePage(hwnd_);
  if (page) {
    // The tab control grows to the largest page; the frame grows with it.
    RECT pageRect, tabRect;
    ::GetWindowRect(page, &pageRect);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&pageRect), 2);
    ::GetWindowRect(tab_, &tabRect);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&tabRect), 2);
    RECT need = pageRect;
    ::SendMessageA(tab_, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&need));
    ::OffsetRect(&need, -need.left, -need.top);
    int tabW = tabRect.right - tabRect.left, tabH = tabRect.bottom - tabRect.top;
    int w = need.right < tabW ? tabW : need.right;
    int h = need.bottom < tabH ? tabH : need.bottom;
    ::SetWindowPos(tab_, nullptr, 10, 10, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    int dw = w - tabW, dh = h - tabH;
    if (dw || dh) {
      HWND frame = ::GetParent(hwnd_);
      RECT fr;
      ::GetWindowRect(frame, &fr);
      ::SetWindowPos(frame, nullptr, 0, 0, fr.right - fr.left + dw, fr.bottom - fr.top + dh,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT display;
    ::GetClientRect(tab_, &display);
    ::SendMessageA(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    ::MapWindowPoints(tab_, hwnd_, reinterpret_cast<POINT*>(&display), 2);
    ::SetWindowPos(page, HWND_TOP, display.left, display.top, display.right - display.left,
                   display.bottom - display.top, SWP_NOACTIVATE);
  }
  if (index == 0)
    TabChanged();
  else if (page)
    ::ShowWindow(page, SW_HIDE);
  client->UpdateFromProject(project_, 0);
  return true;
}

bool CTabView::SetActiveTab(int index) {
  if (index < 0 || index >= GetClientCount())
    return false;
  if (index == active_)
    return true;
  ::SendMessageA(tab_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SendMessageA(tab_, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
  TabChanged();
  return true;
}

void CTabView::TabChanged() {
  int index = static_cast<int>(::SendMessageA(tab_, TCM_GETCURFOCUS, 0, 0));
  if (index < 0 || index >= GetClientCount())
    index = static_cast<int>(::SendMessageA(tab_, TCM_GETCURSEL, 0, 0));
  if (index < 0)
    index = 0;
  CTabClient* old = GetActiveClient();
  if (old && old->Handle())
    old->ActivateClient(false);
  active_ = index;
  for (CTabClient* c : clients_)
    if (c->Handle())
      ::ShowWindow(c->Handle(), SW_HIDE);
  CTabClient* now = GetActiveClient();
  if (now && now->Handle()) {
    now->ActivateClient(true);
    ::SetWindowPos(now->Handle(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  }
}

void CTabView::OnInitialUpdate() {
  if (firstUpdate_) {
    firstUpdate_ = false;
    RECT area;
    ::GetClientRect(hwnd_, &area);
    ::InflateRect(&area, -10, -10);
    tab_ = ::CreateWindowExA(0, WC_TABCONTROLA, "", 0x40010800, area.left, area.top,
                             area.right - area.left, area.bottom - area.top, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabControlId)),
                             reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE)),
                             nullptr);
    font_ = ::CreateFontA(-8, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
    ::SendMessageA(tab_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  for (CTabClient* c : clients_)
    c->UpdateFromProject(project_, 0);
  if (tab_)
    ::ShowWindow(tab_, SW_SHOW);
}

void CTabView::OnUpdate(uint32_t hint) {
  for (CTabClient* c : clients_)
    c->UpdateFromProject(project_, hint);
}

DWORD CTabView::HelpHitTest(POINT at) const {
  HWND child = ::ChildWindowFromPointEx(hwnd_, at, CWP_SKIPINVISIBLE);
  // Inside a page the control under the point counts, not the page.
  for (HWND inner = child; inner && inner != hwnd_;) {
    POINT local = at;
    ::MapWindowPoints(hwnd_, inner, &local, 1);
    HWND next = ::ChildWindowFromPointEx(inner, local, CWP_SKIPINVISIBLE);
    if (!next || next == inner)
      break;
    child = inner = next;
  }
  if (!child || child == hwnd_)
    return 0;
  DWORD context = ::GetWindowContextHelpId(child);
  if (context)
    return context;
  return static_cast<DWORD>(::GetDlgCtrlID(child)) + 0x50000;
}

bool CTabView::OnCommand(UINT id) {
  if (id >= ID_TAB_FIRST && id <= ID_TAB_FIRST + 9) {
    SetActiveTab(static_cast<int>(id - ID_TAB_FIRST));
    return true;
  }
  return false;
}

bool CTabView::UpdateCommand(UINT id, bool* enabled) {
  CTabClient* active = GetActiveClient();
  if (active && active->OnUpdateCommand(id, enabled))
    return true;
  if (id >= ID_TAB_FIRST && id <= ID_TAB_FIRST + 9) {
    // The placeholder stands for no page at all.
    *enabled = static_cast<int>(id - ID_TAB_FIRST) < GetClientCount();
    return true;
  }
  return QueryCommand(id, enabled);
}

void CTabView::UpdateTabsMenu(HMENU menu) {
  int count = ::GetMenuItemCount(menu);
  int at = -1;
  for (int i = 0; i < count; ++i) {
    UINT id = ::GetMenuItemID(menu, i);
    if (id >= ID_TAB_FIRST && id <= ID_TAB_FIRST + 9) {
      at = i;
      break;
    }
  }
  if (at < 0)
    return;
  if (placeholder_.empty()) {
    char text[256] = {};
    ::GetMenuStringA(menu, static_cast<UINT>(at), text, sizeof text, MF_BYPOSITION);
    placeholder_ = text;
  }
  // Drop the old list, keep the rest of the menu.
  for (int i = ::GetMenuItemCount(menu) - 1; i >= 0; --i) {
    UINT id = ::GetMenuItemID(menu, i);
    if (id >= ID_TAB_FIRST && id <= ID_TAB_FIRST + 9)
      ::DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
  }
  if (clients_.empty()) {
    ::InsertMenuA(menu, static_cast<UINT>(at), MF_BYPOSITION | MF_STRING | MF_GRAYED, ID_TAB_FIRST,
                  placeholder_.c_str());
    return;
  }
  for (int i = 0; i < GetClientCount(); ++i) {
    std::string text = "&" + std::to_string((i + 1) % 10) + " ";
    for (char c : clients_[static_cast<size_t>(i)]->Caption()) {
      text += c;
      if (c == '&')
        text += '&';
    }
    UINT flags = MF_BYPOSITION | MF_STRING | (i == active_ ? MF_CHECKED : MF_UNCHECKED);
    ::InsertMenuA(menu, static_cast<UINT>(at + i), flags, ID_TAB_FIRST + static_cast<UINT>(i),
                  text.c_str());
  }
}

void CTabView::OnInitMenuPopup(HMENU menu, bool systemMenu) {
  if (systemMenu)
    return;
  UpdateTabsMenu(menu);
  CKitwrightApp* app = GetKitwrightApp();
  CKitwrightWnd* frame = app ? app->Frame() : nullptr;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    HMENU sub = ::GetSubMenu(menu, i);
    if (sub) {
      // A sub-menu follows its first item and is never disabled for lack of a rule.
      UINT first = ::GetMenuItemID(sub, 0);
      bool enabled = true;
      if (first != 0 && first != static_cast<UINT>(-1) && UpdateCommand(first, &enabled))
        ::EnableMenuItem(menu, static_cast<UINT>(i),
                         MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
      continue;
    }
    UINT id = ::GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1))
      continue;
    bool enabled = false;
    bool answered = UpdateCommand(id, &enabled);
    if (!answered && frame)
      answered = frame->CommandEnabled(id, &enabled);
    if (!answered && id >= 0xF000)
      continue;
    ::EnableMenuItem(menu, id, MF_BYCOMMAND | (answered && enabled ? MF_ENABLED : MF_GRAYED));
  }
}

LRESULT CTabView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      if (hdr->hwndFrom == tab_ && hdr->code == TCN_SELCHANGE) {
        TabChanged();
        return 0;
      }
      break;
    }
    case WM_COMMAND:
      if (lParam == 0 && OnCommand(LOWORD(wParam)))
        return 0;
      // Page commands travel up to the frame.
      return ::SendMessageA(::GetParent(hwnd_), msg, wParam, lParam);
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), HIWORD(lParam) != 0);
      return 0;
    case kwf::kMsgCommandHelp: {
      CTabClient* page = GetActiveClient();
      return page && page->Handle() ? ::SendMessageA(page->Handle(), msg, wParam, lParam) : 0;
    }
    case kwf::kMsgHelpHitTest: {
      POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      return static_cast<LRESULT>(HelpHitTest(at));
    }
    case WM_ERASEBKGND: {
      RECT r;
      ::GetClientRect(hwnd_, &r);
      ::FillRect(reinterpret_cast<HDC>(wParam), &r, ::GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_DESTROY:
      for (CTabClient* c : clients_)
        if (c->Handle())
          ::DestroyWindow(c->Handle());
      break;
  }
  return kwf::Window::OnMessage(msg, wParam, lParam);
}

// CKitwrightTabView

namespace {
// Template and order of the nine pages.
const UINT kPageTemplates[] = {IDD_GENERAL,   IDD_VISUALDESIGN, IDD_REQUIREMENTS,
                               IDD_UICOMPONENTS, IDD_FILES,   IDD_REGISTRY,
                               IDD_INIFILES,  IDD_PROGRAMICONS, IDD_CREATESETUP};
}  // namespace

CKitwrightTabView::CKitwrightTabView() {
  for (UINT id : kPageTemplates) {
    pages_.push_back(MakeTabPage(id));
    if (id == IDD_CREATESETUP)
      createSetup_ = static_cast<CCreateSetupView*>(pages_.back().get());
  }
}

bool CKitwrightTabView::Building() const { return createSetup_ && createSetup_->Building(); }

void CKitwrightTabView::BuildEnded(bool succeeded) {
  CKitwrightApp* app = GetKitwrightApp();
  if (succeeded && app && app->Frame())
    ::PostMessageA(app->Frame()->Handle(), WM_COMMAND, kCmdBuildFinished, 0);
  else
    testRunPending_ = false;
}

bool CKitwrightTabView::CanClose() { return !createSetup_ || createSetup_->EndBuildBeforeClose(); }

CKitwrightTabView::~CKitwrightTabView() = default;

void CKitwrightTabView::OnInitialUpdate() {
  CTabView::OnInitialUpdate();
  if (firstUpdate_) {
    firstUpdate_ = false;
    for (auto& page : pages_)
      AddClient(page.get());
  }
}

void CKitwrightTabView::Build() {
  CKitwrightApp* app = GetKitwrightApp();
  if (Building())
    return;
  if (::GetKeyState(VK_SHIFT) < 0) {
    BuildOptions();
    return;
  }
  CKitwrightWnd* frame = app->Frame();
  frame->SetStatusText(kwf::LoadResString(IDS_BUILD_CHECKING).c_str());
  if (project_ && project_->NeedsRebuild()) {
    SetActiveTab(GetClientCount() - 1);
    CTabClient* page = GetActiveClient();
    if (page && page->Handle())
      ::SendMessageA(page->Handle(), WM_COMMAND, kPageBuildButton, 0);
  } else {
    frame->SetStatusText(kwf::LoadResString(IDS_BUILD_UPTODATE).c_str());
    ::PostMessageA(frame->Handle(), WM_COMMAND, kCmdBuildFinished, 0);
  }
}

void CKitwrightTabView::BuildOptions() {
  if (!project_)
    return;
  CKitwrightApp* app = GetKitwrightApp();
  CDiskSizeDialog dialog(project_->m_dwDiskSize);
  dialog.DoModal(app && app->Frame() ? app->Frame()->Handle() : nullptr);
  if (dialog.Capacity() == project_->m_dwDiskSize)
    return;
  project_->m_dwDiskSize = dialog.Capacity();
  project_->SetModifiedFlag(true);
  project_->UpdateAllViews(0x80000000u);
}

// The build commands; one build at a time, and the project stays as the
// running one reads it.
const kwf::Command<CKitwrightTabView> CKitwrightTabView::kCommands[] = {
    {ID_BUILD, ID_BUILD, &CKitwrightTabView::OnBuild, &CKitwrightTabView::NotBuilding},
    {ID_TEST_RUN, ID_TEST_RUN, &CKitwrightTabView::OnTestRun, &CKitwrightTabView::NotBuilding},
    {ID_BUILD_FINISHED, ID_BUILD_FINISHED, &CKitwrightTabView::OnBuildFinished, nullptr},
    {ID_BUILD_OPTIONS, ID_BUILD_OPTIONS, &CKitwrightTabView::OnBuildOptions, &CKitwrightTabView::NotBuilding},
};

bool CKitwrightTabView::OnCommand(UINT id) {
  return kwf::RunCommand(this, kCommands, id) || CTabView::OnCommand(id);
}

bool CKitwrightTabView::QueryCommand(UINT id, bool* enabled) const {
  return kwf::QueryCommand(this, kCommands, id, enabled);
}

bool CKitwrightTabView::NotBuilding(UINT) const { return !Building(); }

void CKitwrightTabView::OnBuild(UINT) { Build(); }

void CKitwrightTabView::OnTestRun(UINT) {
  testRunPending_ = true;
  Build();
}

void CKitwrightTabView::OnBuildOptions(UINT) { BuildOptions(); }

void CKitwrightTabView::OnBuildFinished(UINT) {
  CKitwrightApp* app = GetKitwrightApp();
  if (!project_)
    return;
  if (!testRunPending_) {
    app->ShowFinished(project_->GetOutputDirectory());
    return;
  }
  app->Frame()->SetStatusText(kwf::LoadResString(IDS_BUILD_LAUNCHING).c_str());
  std::string setup = project_->GetOutputDirectory() + "\\DISK1\\SETUP.EXE";
  kwf::ShellOpen(app->MainWindow(), "open", setup.c_str());
  testRunPending_ = false;
}
