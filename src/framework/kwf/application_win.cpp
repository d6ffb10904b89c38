// Application: the message loop with idle passes, message boxes, strings,
// the command line, the file and colour dialogs and opening files through
// the shell.
#include "framework.h"

#include "errors.h"
#include "reslang.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

namespace kwf {

namespace {
Application* g_app = nullptr;
MessageBoxSeam g_boxSeam = nullptr;
FileDialogSeam g_fileSeam = nullptr;
HelpSeam g_helpSeam = nullptr;
// While an idle pass asks for more, the loop looks again this often.
constexpr DWORD kIdleRetryMs = 20;
}  // namespace

void SetMessageBoxSeam(MessageBoxSeam seam) { g_boxSeam = seam; }
void SetFileDialogSeam(FileDialogSeam seam) { g_fileSeam = seam; }
void SetHelpSeam(HelpSeam seam) { g_helpSeam = seam; }

Application::Application() { g_app = this; }

Application::~Application() {
  if (g_app == this)
    g_app = nullptr;
}

Application* GetApp() { return g_app; }

void Application::SetTitle(const std::string& title) {
  title_ = title;
  SetErrorCaption(title_.c_str());
}

int Application::Run(const char* commandLine, int show) {
  if (!InitInstance(commandLine, show)) {
    ExitInstance();
    return 1;
  }
  while (PumpOnce(INFINITE)) {
  }
  return ExitInstance();
}

bool Application::Dispatch(MSG& msg) {
  if (msg.message == WM_QUIT) {
    quit_ = true;
    exitCode_ = static_cast<int>(msg.wParam);
    return false;
  }
  if (accelerators_ && mainWindow_ &&
      ::TranslateAcceleratorA(mainWindow_, accelerators_, &msg))
    return true;
  // Modeless dialogs (the tab pages) get their keyboard handling.
  HWND target = msg.hwnd;
  for (HWND w = target; w; w = ::GetParent(w)) {
    if ((::GetWindowLongA(w, GWL_STYLE) & WS_CHILD) == 0)
      break;
    char cls[16] = {};
    ::GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && ::IsDialogMessageA(w, &msg))
      return true;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageA(&msg);
  return true;
}

bool Application::PumpOnce(DWORD waitMs) {
  if (quit_)
    return false;
  MSG msg;
  bool any = false;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    any = true;
    idleCount_ = 0;
    if (!Dispatch(msg))
      return false;
  }
  bool more = OnIdle(idleCount_++);
  DWORD wait = more ? kIdleRetryMs : waitMs;
  if (!any || more)
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  return !quit_;
}

void Application::WinHelp(DWORD_PTR data, UINT command) { WinHelpFile(helpFile_, data, command); }

void Application::WinHelpFile(const std::string& file, DWORD_PTR data, UINT command, HWND window) {
  HWND target = window ? window : mainWindow_;
  if (g_helpSeam) {
    g_helpSeam(target, file.c_str(), command, data);
    return;
  }
  if (target && !file.empty())
    ::WinHelpA(target, file.c_str(), command, data);
}

int AppMessageBox(HWND owner, const char* text, UINT style) {
  const char* caption = g_app ? g_app->Title().c_str() : "";
  if (g_boxSeam)
    return g_boxSeam(owner, text, caption, style);
  return ::MessageBoxA(owner, text, caption, style);
}

std::string LoadResString(UINT id) {
  std::vector<char> buffer(1024);
  int n = theLanguageArray.LoadString(id, buffer.data(), static_cast<int>(buffer.size()));
  return n > 0 ? std::string(buffer.data(), static_cast<size_t>(n)) : std::string();
}

std::string ResSubString(UINT id, int index) {
  std::string all = LoadResString(id);
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    size_t nl = all.find('\n', start);
    if (nl == std::string::npos)
      return std::string();
    start = nl + 1;
  }
  size_t end = all.find('\n', start);
  return all.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

CommandLineInfo ParseCommandLine(const char* commandLine) {
  CommandLineInfo info;
  const char* p = commandLine ? commandLine : "";
  while (*p) {
    while (*p == ' ' || *p == '\t')
      ++p;
    if (!*p)
      break;
    std::string arg;
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
      if (*p == '"')
        quoted = !quoted;
      else
        arg += *p;
      ++p;
    }
    if (arg.empty())
      continue;
    if (arg[0] == '/' || arg[0] == '-') {
      if (arg.size() == 2 && (arg[1] == 'h' || arg[1] == 'H' || arg[1] == '?'))
        info.showUsage = true;
      continue;
    }
    if (info.fileName.empty()) {
      info.fileName = arg;
      info.shellCommand = CommandLineInfo::kFileOpen;
    }
  }
  return info;
}

namespace {
ShellSeam g_shellSeam = nullptr;
}

void SetShellSeam(ShellSeam seam) { g_shellSeam = seam; }

bool ShellOpen(HWND owner, const char* verb, const char* file) {
  if (g_shellSeam)
    return g_shellSeam(verb, file);
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(::ShellExecuteA(owner, verb, file, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

bool PromptFileName(HWND owner, bool open, const char* filter, const char* defExt,
                    std::string* path) {
  if (g_fileSeam)
    return g_fileSeam(open, path);
  char buffer[MAX_PATH] = {};
  std::strncpy(buffer, path->c_str(), sizeof buffer - 1);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = sizeof buffer;
  ofn.lpstrDefExt = defExt;
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
              (open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
  BOOL ok = open ? ::GetOpenFileNameA(&ofn) : ::GetSaveFileNameA(&ofn);
  if (!ok)
    return false;
  *path = buffer;
  return true;
}

namespace {
ColorDialogSeam g_colorSeam = nullptr;
// The dialog's sixteen custom colours last for the run, as users expect.
COLORREF g_customColors[16];
}  // namespace

void SetColorDialogSeam(ColorDialogSeam seam) { g_colorSeam = seam; }

bool PromptColor(HWND owner, COLORREF* color) {
  if (g_colorSeam)
    return g_colorSeam(owner, color);
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = *color;
  cc.lpCustColors = g_customColors;
  cc.Flags = CC_RGBINIT;
  if (!::ChooseColorA(&cc))
    return false;
  *color = cc.rgbResult;
  return true;
}

}  // namespace kwf
