// The application object and the windows of start-up:
//   CKitwrightApp   start-up, idle work, documents, exit
//   CSplashScreen   the picture shown while the program starts
#pragma once

#include "framework.h"
#include "mainwnd.h"
#include "model/project.h"

#include <memory>
#include <string>
#include <vector>

class CIKitwrightExtension;

class CSplashScreen : public kwf::Window {
 public:
  static constexpr UINT kBitmapId = 0x1900;
  ~CSplashScreen() override;
  bool Show(HINSTANCE instance);
  void Hide();
  bool IsShown() const { return hwnd_ != nullptr; }
  // Puts the splash back above the windows shown after it.
  void KeepInFront();
  static void UnregisterClass(HINSTANCE instance);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool RealizeOwnPalette();
  HBITMAP bitmap_ = nullptr;
  HPALETTE palette_ = nullptr;
};

class CKitwrightApp : public kwf::Application, public IProjectViews {
 public:
  static constexpr DWORD kSplashMs = 2500;
  static constexpr int kRecentFiles = 4;

  CKitwrightApp();
  ~CKitwrightApp() override;

  // Attributes
  CKitwrightProject& Project() { return project_; }
  CKitwrightWnd* Frame() { return frame_.get(); }
  CIKitwrightExtension* Extensions() { return extensions_.get(); }
  const kwf::CommandLineInfo& CommandLine() const { return cmdInfo_; }
  bool SplashShown() const { return splash_.IsShown(); }
  void KeepSplashInFront() { splash_.KeepInFront(); }
  HWND SplashWindow() const { return splash_.Handle(); }
  bool IdleDone() const { return idleDone_; }
  // The document title: the file's name, or the default name when unsaved.
  std::string DocumentTitle() const;
  std::vector<std::string> RecentFiles() const;
  // The document type's extension (".kwr") and file-dialog filter.
  std::string DocExtension() const;
  std::string DocFilter() const;

  // Operations
  // Where the LNG libraries are (tests); empty: <program folder>\LNG\.
  void SetLngFolder(const std::string& folder) { lngFolder_ = folder; }
  bool OnFileNew();
  bool OnFileOpen();
  bool OpenDocumentFile(const std::string& path);
  bool OnFileSave();
  bool OnFileSaveAs();
  // The modified prompt; false when the user cancelled.
  bool SaveModified();
  void OnAppAbout();
  // Mail through MAPI: WIN.INI's [Mail] MAPI=1 and MAPI32.DLL on the path.
  static bool MailAvailable();
  void OnFileSendMail();
  // The Build Finished dialog for an output folder (unless switched off).
  void ShowFinished(const std::string& outputFolder);

  // Overridables
  bool InitInstance(const char* commandLine, int show) override;
  bool OnIdle(long count) override;
  int ExitInstance() override;
  void UpdateAllViews(uint32_t hint) override;
  // Context help shows as a pop-up; other commands pass unchanged.
  void WinHelp(DWORD_PTR data, UINT command) override;

  // The platform query (true on Win32s); null restores the system's.
  using Win32sQuery = bool (*)();
  static void SetWin32sQuery(Win32sQuery query);

 private:
  bool DoSave(const std::string& path);
  void AfterDocumentChange();
  void AddRecentFile(const std::string& path);
  void ShowWelcome();
  void ReleaseLibraries();

  CKitwrightProject project_;
  std::unique_ptr<CKitwrightWnd> frame_;
  std::unique_ptr<CIKitwrightExtension> extensions_;
  CSplashScreen splash_;
  kwf::CommandLineInfo cmdInfo_;
  std::string lngFolder_;
  DWORD startTick_ = 0;
  bool idleDone_ = false;
  bool resourcesLoaded_ = false;
  bool classesRegistered_ = false;
  int show_ = SW_SHOWNORMAL;
  HINSTANCE instance_ = nullptr;
};

// The application object of the process.
CKitwrightApp* GetKitwrightApp();
