// The main window: CKitwrightWnd with its toolbar, status bar and the tab view.
#pragma once

#include "commands.h"
#include "framework.h"
#include "resids.h"
#include "shadecap.h"
#include "tabview.h"
#include "toolbar.h"

#include <string>

inline constexpr const char kMainWindowClass[] = "KitwrightClass";
inline constexpr int kMainWindowWidth = 537;
inline constexpr int kMainWindowHeight = 445;

class CKitwrightWnd : public CShadeCapFrame {
 public:
  enum : UINT { kToolBarId = 0xE800, kStatusBarId = 0xE801 };
  // Shows the window after creation has returned.
  static constexpr UINT kMsgShow = WM_USER;
  // Ends the tutorial after the cards have had time to close.
  static constexpr UINT kMsgEndTutorial = WM_USER + 1;

  CKitwrightWnd();
  ~CKitwrightWnd() override;

  // Attributes
  CKitwrightTabView& View() { return view_; }
  HWND ToolBar() const { return toolbar_.Handle(); }
  CToolBarEx& ToolBarEx() { return toolbar_; }
  HWND StatusBar() const { return status_; }

  // Operations
  // Registers the class once per process and creates the window.
  bool CreateFrame(HINSTANCE instance);
  static void UnregisterClass(HINSTANCE instance);
  void SetStatusText(const char* text);
  // The CAP and NUM panes, from the keyboard (on idle).
  void UpdateIndicators();
  void UpdateTitle(const std::string& documentTitle);
  // The enable rule of a command the frame or the application handles.
  bool CommandEnabled(UINT id, bool* enabled) const;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool OnCreate();
  void OnDestroy();
  void Layout();
  bool OnCommand(UINT id);
  void OnInitMenuPopup(HMENU menu, bool systemMenu);

  // Commands
  static const kwf::Command<CKitwrightWnd> kCommands[];
  bool NotBuilding(UINT id) const;
  bool MailEnabled(UINT id) const;
  bool RecentFileEnabled(UINT id) const;
  bool HelpEnabled(UINT id) const;
  void OnFileNew(UINT id);
  void OnFileOpen(UINT id);
  void OnFileSave(UINT id);
  void OnFileSaveAs(UINT id);
  void OnFileSendMail(UINT id);
  void OnRecentFile(UINT id);
  void OnAppAbout(UINT id);
  void OnAppExit(UINT id);
  void OnHelpFinder(UINT id);
  void OnContextHelp(UINT id);
  void OnHelp(UINT id);
  void OnHelpContents(UINT id);
  void OnStartTutorial(UINT id);
  void OnTutorialStep(UINT id);
  void StartTutorial();
  // A tutorial command (0x3000 to 0x3007) with its parameter.
  void OnTutorialCommand(UINT id, LPARAM parameter);
  void EndTutorial(bool post);
  void OnOptions(UINT id = 0);
  // File menu: Send goes, with one of its separators, when there is no mail.
  static void RemoveSendWithoutMail(HMENU menu);
  void OnWhatsThis();
  // Asks the window under a screen point, and then its parents, for a help context.
  DWORD HelpHitTest(POINT at) const;

  CKitwrightTabView view_;
  HFONT font_ = nullptr;
  CToolBarEx toolbar_;
  HWND status_ = nullptr;
  HINSTANCE instance_ = nullptr;
  std::string tipText_;
  RECT savedRect_ = {};
  RECT workArea_ = {};
  RECT cardRect_ = {};
};
