// The Create Setup page, the progress dialog and the build thread.
#include "createsetup.h"

#include "app.h"
#include "build/engine.h"
#include "controls.h"
#include "extension.h"
#include "mainwnd.h"
#include "model/project.h"
#include "sheets.h"

#include <commctrl.h>

namespace {

// Message texts from the current resource library.
class ResourceStrings : public kw::IStringSource {
 public:
  bool Text(uint16_t id, std::string& out) override {
    out = kwf::LoadResString(id);
    return !out.empty();
  }
};

// SETUP.EXE from the setup-language extension of the project's language.
class ExtensionLoader : public kw::ILoaderSource {
 public:
  explicit ExtensionLoader(const CIKitwrightExtension* host) : host_(host) {}
  bool DropSetup(uint16_t language, const std::string& folder, uint32_t loader,
                 uint32_t& offset) override {
    return host_ && DropSetupLoader(*host_, language, folder, loader, &offset);
  }

 private:
  const CIKitwrightExtension* host_;
};

// The build thread's reports: messages sent to the page and the dialog,
// which the user-interface thread handles as it pumps.
class WindowReporter : public kw::IBuildReporter {
 public:
  WindowReporter(HWND page, HWND progress) : page_(page), progress_(progress) {}
  void LogLine(const std::string& line) override {
    ::SendMessageA(page_, CCreateSetupView::kMsgAppendLog, 0, reinterpret_cast<LPARAM>(&line));
  }
  void CurrentFile(const std::string& path) override {
    ::SendMessageA(progress_, CProgressDlg::kMsgSetFile, 0, reinterpret_cast<LPARAM>(path.c_str()));
  }
  void Progress(unsigned file, unsigned total) override {
    ::SendDlgItemMessageA(progress_, CProgressDlg::kFileBar, PBM_SETPOS, file, 0);
    ::SendDlgItemMessageA(progress_, CProgressDlg::kTotalBar, PBM_SETPOS, total, 0);
  }

 private:
  HWND page_;
  HWND progress_;
};

}  // namespace

// CProgressDlg

HWND CProgressDlg::Create(HWND owner) { return CreateModeless(owner); }

bool CProgressDlg::OnInitDialog() {
  for (int bar : {kFileBar, kTotalBar}) {
    ::SendDlgItemMessageA(hwnd_, bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendDlgItemMessageA(hwnd_, bar, PBM_SETPOS, 0, 0);
  }
  kwf::CenterWindow(hwnd_);
  return true;
}

bool CProgressDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (id != IDCANCEL)
    return false;
  if (cancelled_)
    return true;
  std::string question = kwf::LoadResString(kQuestionCancel);
  if (kwf::AppMessageBox(hwnd_, question.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES) {
    cancelled_ = true;
    cancel_->store(1);
    ::EnableWindow(::GetDlgItem(hwnd_, IDCANCEL), FALSE);
  }
  return true;
}

bool CProgressDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  if (msg != kMsgSetFile)
    return false;
  SetPathText(hwnd_, kFileText, reinterpret_cast<const char*>(lParam));
  *result = TRUE;
  return true;
}

// CCreateSetupView

struct CCreateSetupView::Run {
  ResourceStrings strings;
  std::unique_ptr<ExtensionLoader> loader;
  std::unique_ptr<WindowReporter> reporter;
  std::atomic<int> cancel{0};
  CProgressDlg progress{&cancel};
  kw::BuildParams params;
  kw::BuildResult result;
  HWND page = nullptr;
  HANDLE thread = nullptr;
};

CCreateSetupView::CCreateSetupView() : CTabClientEx(IDD_CREATESETUP) {}

CCreateSetupView::~CCreateSetupView() {
  // The window is gone: no thread may go on sending to it.
  if (run_) {
    run_->cancel.store(1);
    WaitForThread();
  }
}

CProgressDlg* CCreateSetupView::Progress() const { return run_ ? &run_->progress : nullptr; }

bool CCreateSetupView::OnInitDialog() {
  CTabClientEx::OnInitDialog();
  return false;
}

void CCreateSetupView::UpdateFromProject(CKitwrightProject* project, uint32_t hint) {
  project_ = project;
  // Every update: Build Options may have changed the size behind the page.
  if (hwnd_ && project_)
    FillDiskSizeCombo(::GetDlgItem(hwnd_, kDiskSize), project_->m_dwDiskSize);
}

bool CCreateSetupView::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case kStart:
      if (code == BN_CLICKED)
        StartBuild();
      return true;
    case kTestRun:
      if (code == BN_CLICKED) {
        CKitwrightApp* app = GetKitwrightApp();
        if (app && app->Frame())
          ::SendMessageA(app->Frame()->Handle(), WM_COMMAND, CKitwrightTabView::kCmdTestRun, 0);
      }
      return true;
    case kDiskSize:
      if (code == CBN_SELCHANGE && project_) {
        uint32_t capacity = SelectedDiskSize(control, project_->m_dwDiskSize);
        if (capacity != project_->m_dwDiskSize) {
          project_->m_dwDiskSize = capacity;
          project_->SetModifiedFlag(true);
        }
      }
      return true;
  }
  return CTabClientEx::OnCommand(id, code, control);
}

bool CCreateSetupView::StartBuild() {
  if (run_ || !project_ || !hwnd_)
    return false;
  CKitwrightApp* app = GetKitwrightApp();
  HWND frame = app && app->Frame() ? app->Frame()->Handle() : ::GetAncestor(hwnd_, GA_ROOT);

  auto run = std::make_unique<Run>();
  run->page = hwnd_;
  run->loader = std::make_unique<ExtensionLoader>(app ? app->Extensions() : nullptr);
  if (!run->progress.Create(frame))
    return false;
  run->reporter = std::make_unique<WindowReporter>(hwnd_, run->progress.Handle());
  ::ShowWindow(run->progress.Handle(), SW_SHOW);
  run->params.project = project_;
  run->params.outputDir = project_->GetOutputDirectory();
  run->params.capacity = project_->m_dwDiskSize;
  run->params.strings = &run->strings;
  run->params.loader = run->loader.get();
  run->params.reporter = run->reporter.get();
  run->params.cancel = &run->cancel;
  log_.clear();
  ::SetDlgItemTextA(hwnd_, kLog, "");

  DWORD id = 0;
  run->thread = ::CreateThread(nullptr, 0, &ThreadProc, run.get(), CREATE_SUSPENDED, &id);
  if (!run->thread) {
    ::DestroyWindow(run->progress.Handle());
    return false;
  }
  ::SetThreadPriority(run->thread, THREAD_PRIORITY_HIGHEST);
  run_ = std::move(run);
  ::ResumeThread(run_->thread);
  return true;
}

DWORD WINAPI CCreateSetupView::ThreadProc(void* param) {
  Run* run = static_cast<Run*>(param);
  run->result = kw::RunBuild(run->params);
  ::PostMessageA(run->page, kMsgBuildEnded, 0, 0);
  return 1;
}

void CCreateSetupView::WaitForThread() {
  if (!run_ || !run_->thread)
    return;
  // The thread may be sending to our windows: keep them answering.
  bool quit = false;
  WPARAM quitCode = 0;
  while (::MsgWaitForMultipleObjects(1, &run_->thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        continue;
      }
      if (msg.message == kMsgBuildEnded && msg.hwnd == hwnd_)
        continue;  // handled below, once
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  BuildEnded();
  if (quit)
    ::PostQuitMessage(static_cast<int>(quitCode));
}

void CCreateSetupView::BuildEnded() {
  if (!run_)
    return;
  std::unique_ptr<Run> run = std::move(run_);
  ::WaitForSingleObject(run->thread, INFINITE);
  ::CloseHandle(run->thread);
  if (run->progress.Handle())
    ::DestroyWindow(run->progress.Handle());
  CKitwrightApp* app = GetKitwrightApp();
  if (hwnd_ && app && app->Frame())
    app->Frame()->View().BuildEnded(run->result.succeeded());
}

bool CCreateSetupView::EndBuildBeforeClose() {
  if (!run_)
    return true;
  std::string question = kwf::LoadResString(CProgressDlg::kQuestionCancel);
  HWND owner = run_->progress.Handle() ? run_->progress.Handle() : hwnd_;
  if (kwf::AppMessageBox(owner, question.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
    return false;
  run_->cancel.store(1);
  WaitForThread();
  return true;
}

void CCreateSetupView::AppendLog(const std::string& line) {
  log_ += line;
  log_ += "\r\n";
  HWND edit = ::GetDlgItem(hwnd_, kLog);
  if (!edit)
    return;
  ::SetWindowTextA(edit, log_.c_str());
  if (visibleLines_ == 0) {
    RECT r;
    ::SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    HDC dc = ::GetDC(edit);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(edit, WM_GETFONT, 0, 0)));
    TEXTMETRICA tm;
    ::GetTextMetricsA(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(edit, dc);
    int lineHeight = tm.tmHeight + tm.tmExternalLeading;
    visibleLines_ = lineHeight > 0 ? (r.bottom - r.top) / lineHeight : 1;
    if (visibleLines_ < 1)
      visibleLines_ = 1;
  }
  int lines = static_cast<int>(::SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
  int first = static_cast<int>(::SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
  ::SendMessageA(edit, EM_LINESCROLL, 0, lines - first - visibleLines_);
}

bool CCreateSetupView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (msg) {
    case kMsgAppendLog:
      AppendLog(*reinterpret_cast<const std::string*>(lParam));
      *result = TRUE;
      return true;
    case kMsgBuildEnded:
      BuildEnded();
      *result = TRUE;
      return true;
  }
  return CTabClientEx::OnMessage(msg, wParam, lParam, result);
}
