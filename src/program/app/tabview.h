// The tab view: one tab control hosting the editor pages.
//   CTabClient         a modeless child dialog on a page of the tab control
//   CTabClientEx       a page that takes part in the Training Card tutorial
//   CTabView           the tab control, the ordered pages, sizing, Tabs menu
//   CKitwrightTabView  the program's view: the nine pages, the build commands
#pragma once

#include "commands.h"
#include "framework.h"
#include "resids.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CKitwrightProject;
class CCreateSetupView;

class CTabClient : public kwf::Dialog {
 public:
  // The caption is the template's own title unless one is given.
  explicit CTabClient(UINT templateId, const char* caption = nullptr);

  // Attributes
  const std::string& Caption() const { return caption_; }
  bool TemplateLoaded() const { return !template_.empty(); }

  // Operations
  // Loads the template from the resource library and makes it a child page.
  bool LoadTemplate();
  HWND CreatePage(HWND parent);

  // Overridables
  // Loads the page; bit 31 of hint set: only the project pointer changes.
  virtual void UpdateFromProject(CKitwrightProject* project, uint32_t hint) {}
  // The page becomes the visible one (true) or stops being it (false).
  virtual void ActivateClient(bool activate);
  // The help key: help for the control with the focus, if any.
  virtual void OnHelpKey();
  // Whether the page answers a command's enable rule, and how.
  virtual bool OnUpdateCommand(UINT id, bool* enabled) { return false; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  std::string caption_;
  bool explicitCaption_ = false;
  std::vector<unsigned char> template_;
  HWND lastFocus_ = nullptr;
};

// Reads the caption of a plain dialog template; empty when there is none or
// the bytes do not hold one. Exposed for tests.
std::string DialogTemplateCaption(const unsigned char* data, size_t size);
// The style a page gets: DS_CONTROL on, WS_VISIBLE, WS_BORDER, DS_MODALFRAME off.
inline DWORD PageStyle(DWORD style) { return (style & 0xEF7FFF7Fu) | DS_CONTROL; }

class CTabClientEx : public CTabClient {
 public:
  using CTabClient::CTabClient;
  void ActivateClient(bool activate) override;
};

class CTabView : public kwf::Window {
 public:
  static constexpr int kTabControlId = 801;

  CTabView();
  ~CTabView() override;

  // Attributes
  int GetActiveTab() const { return active_; }
  CTabClient* GetActiveClient() const;
  int GetClientCount() const { return static_cast<int>(clients_.size()); }
  CTabClient* GetClient(int index) const { return clients_.at(static_cast<size_t>(index)); }
  HWND TabControl() const { return tab_; }
  CKitwrightProject* Project() const { return project_; }
  void SetProject(CKitwrightProject* project) { project_ = project; }

  // Operations
  HWND CreateView(HWND frame, const RECT& area, HINSTANCE instance);
  bool AddClient(CTabClient* client);
  bool SetActiveTab(int index);
  // The framework's first update after a new or opened document.
  virtual void OnInitialUpdate();
  // An update of all views.
  virtual void OnUpdate(uint32_t hint);
  // Before a pop-up opens: the Tabs list and the enable rules.
  void OnInitMenuPopup(HMENU menu, bool systemMenu);
  // A command; true when the view handled it.
  virtual bool OnCommand(UINT id);
  // The help context of the window under a point of the view: its own
  // context-help id, else its control id plus 0x50000; 0 for none.
  DWORD HelpHitTest(POINT at) const;
  // The enable rule of a command of the view itself; false when it has none.
  virtual bool QueryCommand(UINT id, bool* enabled) const { return false; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void TabChanged();
  void UpdateTabsMenu(HMENU menu);
  bool UpdateCommand(UINT id, bool* enabled);

  HWND tab_ = nullptr;
  HFONT font_ = nullptr;
  std::vector<CTabClient*> clients_;
  std::string placeholder_;
  int active_ = 0;
  bool firstUpdate_ = true;
  CKitwrightProject* project_ = nullptr;
};

// The page of a tab template: its editor, or a plain page (pages_win.cpp).
std::unique_ptr<CTabClientEx> MakeTabPage(UINT templateId);

class CKitwrightTabView : public CTabView {
 public:
  enum : UINT {
    kCmdBuild = ID_BUILD, kCmdTestRun = ID_TEST_RUN, kCmdBuildFinished = ID_BUILD_FINISHED,
    kCmdBuildOptions = ID_BUILD_OPTIONS, kCmdFirstTab = ID_TAB_FIRST,
  };
  CKitwrightTabView();
  ~CKitwrightTabView() override;

  void OnInitialUpdate() override;
  bool OnCommand(UINT id) override;
  bool QueryCommand(UINT id, bool* enabled) const override;

  // Attributes
  CCreateSetupView* CreateSetupPage() const { return createSetup_; }
  bool Building() const;

  // Operations
  // The build the Create Setup page ran has ended: the Build Finished
  // command follows a success; a failure ends a pending test run.
  void BuildEnded(bool succeeded);
  // Whether the window may close now (a running build is cancelled and
  // waited for when the user agrees).
  bool CanClose();

 private:
  static const kwf::Command<CKitwrightTabView> kCommands[];
  bool NotBuilding(UINT id) const;
  void OnBuild(UINT id);
  void OnTestRun(UINT id);
  void OnBuildOptions(UINT id);
  void OnBuildFinished(UINT id);
  void Build();
  void BuildOptions();
  std::vector<std::unique_ptr<CTabClientEx>> pages_;
  CCreateSetupView* createSetup_ = nullptr;
  bool firstUpdate_ = true;
  bool testRunPending_ = false;
};
