// The Create Setup page and the build it runs:
//   CProgressDlg      the modeless "Creating Setup" dialog: file, two bars, Cancel
//   CCreateSetupView  the last tab: the log, the disk size, Start and Test Run
// The build runs the headless engine on a thread of its own; it reaches the
// windows only by messages sent to them, and posts its end to the page.
#pragma once

#include "tabview.h"

#include <atomic>
#include <memory>
#include <string>

class CProgressDlg : public kwf::Dialog {
 public:
  enum : int { kFileText = 101, kFileBar = 201, kTotalBar = 202 };
  // Sent by the build: the current file (lParam: const char*).
  static constexpr UINT kMsgSetFile = WM_APP + 12;
  static constexpr UINT kQuestionCancel = IDS_CONFIRM_CANCEL;

  explicit CProgressDlg(std::atomic<int>* cancel) : Dialog(IDD_PROGRESS), cancel_(cancel) {}

  // Attributes
  bool CancelAsked() const { return cancelled_; }

  // Operations
  HWND Create(HWND owner);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  std::atomic<int>* cancel_;
  bool cancelled_ = false;
};

class CCreateSetupView : public CTabClientEx {
 public:
  enum : int { kLog = 701, kStart = 702, kDiskSize = 703, kTestRun = 704 };
  // Sent by the build: one line of the log (lParam: const std::string*).
  static constexpr UINT kMsgAppendLog = WM_APP + 10;
  // Posted by the build thread when it is done.
  static constexpr UINT kMsgBuildEnded = WM_APP + 11;

  CCreateSetupView();
  ~CCreateSetupView() override;

  // Attributes
  bool Building() const { return run_ != nullptr; }
  const std::string& LogText() const { return log_; }
  CProgressDlg* Progress() const;

  // Operations
  // Starts a build of the project; false when one runs already.
  bool StartBuild();
  // Before the window closes: with a build running, asks whether to cancel
  // it (false: the user keeps it), then waits for its thread.
  bool EndBuildBeforeClose();

  // Overridables
  void UpdateFromProject(CKitwrightProject* project, uint32_t hint) override;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  struct Run;
  static DWORD WINAPI ThreadProc(void* run);
  void AppendLog(const std::string& line);
  // The thread has ended: close the dialog, report, free the run.
  void BuildEnded();
  void WaitForThread();

  CKitwrightProject* project_ = nullptr;
  std::unique_ptr<Run> run_;
  std::string log_;
  int visibleLines_ = 0;
};
