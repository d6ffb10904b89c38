// A thin application framework over Win32:
//   Window       a window whose procedure is ours (this in GWLP_USERDATA)
//   Dialog       modal and modeless dialogs from the resource library
//   PropSheet, PropPage  property sheets from templates of the library
//   DocTemplate  the document strings and the shell registration of a type
//   Application  instance initialisation, idle passes, the message loop
// plus message boxes captioned with the application title, the standard
// command line, and the seams through which tests answer modal boxes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kwf {

// The help messages of the framework: help for the active context of a
// window (nonzero when handled), and the help context of a client point
// (lParam; 0 when the window has none).
constexpr UINT kMsgCommandHelp = 0x365;
constexpr UINT kMsgHelpHitTest = 0x366;

// A window of ours. Create passes this through lpCreateParams; from
// WM_NCCREATE on the static procedure finds it and calls OnMessage.
class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Attributes
  HWND Handle() const { return hwnd_; }

  // Operations
  HWND Create(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
              int cx, int cy, HWND parent, HMENU menu, HINSTANCE instance);
  // The procedure to give a window class of ours.
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  // Overridables: the default passes the message to DefWindowProc.
  virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // Called after WM_NCDESTROY; the handle is already gone.
  virtual void OnFinalRelease() {}

  HWND hwnd_ = nullptr;
};

// A dialog built from a template of the current resource library.
class Dialog {
 public:
  explicit Dialog(UINT templateId) : templateId_(templateId) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Attributes
  HWND Handle() const { return hwnd_; }
  UINT TemplateId() const { return templateId_; }

  // Operations
  // Runs the dialog modally (through the modal seam when one is set).
  INT_PTR DoModal(HWND parent);
  // Creates it modeless from an explicit template (already in memory).
  HWND CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent);
  // Creates it modeless from the template id.
  HWND CreateModeless(HWND parent);
  void EndDialog(INT_PTR result);
  static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The message to the overridables of a dialog found by a procedure
  // (exceptions reported, never passed to the system).
  static INT_PTR Dispatch(Dialog* self, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  // Overridables
  // Return true to let the system set the focus.
  virtual bool OnInitDialog() { return true; }
  // A WM_COMMAND; return true when handled. The default ends a modal box on
  // IDOK (OnOK) and IDCANCEL (OnCancel).
  virtual bool OnCommand(WORD id, WORD code, HWND control);
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Any other message; return true when handled (result in *result).
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
    return false;
  }

  HWND hwnd_ = nullptr;
  UINT templateId_;
  bool modal_ = false;
};

// A page of a property sheet, built from a template of the resource library.
class PropPage : public Dialog {
 public:
  explicit PropPage(UINT templateId) : Dialog(templateId) {}

  // Operations
  // Enables or disables the sheet's Apply button for this page.
  void SetModified(bool modified = true);
  static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  // Overridables
  // A page has no OK or Cancel of its own: nothing is ended here.
  bool OnCommand(WORD id, WORD code, HWND control) override { return false; }
  // OK and Apply; false keeps the sheet open on this page.
  virtual bool OnApply() { return true; }
  // Cancel.
  virtual void OnReset() {}
  // Turns the sheet's notifications into OnApply and OnReset.
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;
};

// A property sheet with OK, Cancel and Apply over pages the caller owns.
class PropSheet {
 public:
  explicit PropSheet(std::string caption) : caption_(std::move(caption)) {}
  virtual ~PropSheet();
  PropSheet(const PropSheet&) = delete;
  PropSheet& operator=(const PropSheet&) = delete;

  // Attributes
  const std::string& Caption() const { return caption_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  PropPage* Page(int index) const { return pages_.at(static_cast<size_t>(index)); }
  HWND Handle() const { return hwnd_; }
  // A sheet that ends with OK or Cancel only: no Apply button.
  void SetNoApply(bool noApply = true) { noApply_ = noApply; }

  // Operations
  void AddPage(PropPage* page) { pages_.push_back(page); }
  // Runs the sheet modally (through the sheet seam when one is set): IDOK
  // when the user saved changes (OK, or Apply before closing), else IDCANCEL.
  INT_PTR DoModal(HWND parent);
  // Creates it modeless (tests drive it so); Finished tells when it wants
  // to close, DestroyModeless closes it.
  HWND CreateModeless(HWND parent);
  bool Finished() const;
  void DestroyModeless();

 private:
  INT_PTR Run(HWND parent, bool modeless);

  std::string caption_;
  std::vector<PropPage*> pages_;
  HWND hwnd_ = nullptr;
  bool noApply_ = false;
};

// Centres a window on its owner (the screen without one).
void CenterWindow(HWND hwnd);

// The single-document template: the resource id that names the document
// strings, the menu, the accelerators and the icon of a document type.
class DocTemplate {
 public:
  // The seven "\n"-separated parts of the document string.
  enum DocString {
    kWindowTitle, kDocName, kFileNewName, kFilterName, kFilterExt, kRegFileTypeId,
    kRegFileTypeName,
  };
  explicit DocTemplate(UINT resourceId) : resourceId_(resourceId) {}

  // Attributes
  UINT ResourceId() const { return resourceId_; }
  // A part of the document string ("" when missing).
  std::string GetDocString(DocString index) const;
  // The filter of the file dialogs: "<name>\0*<ext>\0\0".
  std::string FileFilter() const;

  // Operations
  // Reads the document string from the current resource library.
  void LoadStrings();
  // The document type in the shell: the extension, the type with its name
  // and icon, and the open, print and print-to commands of the program.
  void RegisterShellFileTypes() const;

 private:
  UINT resourceId_;
  std::string parts_[7];
};

// The standard command line: an optional file name.
struct CommandLineInfo {
  enum ShellCommand { kFileNothing = -1, kFileNew = 0, kFileOpen = 1 };
  bool showSplash = true;
  bool showUsage = false;  // "/h" or "/?"
  ShellCommand shellCommand = kFileNew;
  std::string fileName;
};
// Parses a command line without the program name; "/h" and "/?" (or with
// "-") ask for the usage, other switches are skipped, the first other
// argument (quotes removed) is the file to open.
CommandLineInfo ParseCommandLine(const char* commandLine);

// The application: Run calls InitInstance, the message loop with idle
// passes, and ExitInstance.
class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Attributes
  HWND MainWindow() const { return mainWindow_; }
  void SetMainWindow(HWND hwnd) { mainWindow_ = hwnd; }
  HACCEL Accelerators() const { return accelerators_; }
  void SetAccelerators(HACCEL accelerators) { accelerators_ = accelerators; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& file) { helpFile_ = file; }
  // The document template the application was given (one document type).
  DocTemplate* GetDocTemplate() const { return docTemplate_.get(); }
  void AddDocTemplate(std::unique_ptr<DocTemplate> docTemplate) {
    docTemplate_ = std::move(docTemplate);
  }

  // Operations
  int Run(const char* commandLine, int show);
  // One turn of the loop: dispatches the waiting messages, then runs idle
  // passes while they ask for more. Waits at most waitMs for a message.
  // False once WM_QUIT has been seen.
  bool PumpOnce(DWORD waitMs);
  bool QuitSeen() const { return quit_; }
  int ExitCode() const { return exitCode_; }
  // Calls WinHelp with the help file (through the help seam when set).
  virtual void WinHelp(DWORD_PTR data, UINT command);
  // The same with another help file (the training cards' "<file>>TCard"),
  // on behalf of a window (the control HELP_WM_HELP explains); null: the
  // main window.
  void WinHelpFile(const std::string& file, DWORD_PTR data, UINT command, HWND window = nullptr);

  // Overridables
  virtual bool InitInstance(const char* commandLine, int show) = 0;
  // Returns true to ask for more idle time.
  virtual bool OnIdle(long count) { return false; }
  virtual int ExitInstance() { return exitCode_; }

 private:
  bool Dispatch(MSG& msg);

  HWND mainWindow_ = nullptr;
  HACCEL accelerators_ = nullptr;
  std::string title_;
  std::string helpFile_;
  std::unique_ptr<DocTemplate> docTemplate_;
  bool quit_ = false;
  int exitCode_ = 0;
  long idleCount_ = 0;
};

// The application object of the process (the last one constructed).
Application* GetApp();

// A message box captioned with the application title.
int AppMessageBox(HWND owner, const char* text, UINT style);
// A string of the current resource library ("" without it).
std::string LoadResString(UINT id);
// The n-th "\n"-separated part of a string of the resource library.
std::string ResSubString(UINT id, int index);

// Seams for tests; null restores the system's.
using MessageBoxSeam = int (*)(HWND owner, const char* text, const char* caption, UINT style);
void SetMessageBoxSeam(MessageBoxSeam seam);
// Answers a modal dialog instead of showing it: returns the result; the
// dialog object is there to be changed (it is never created).
using ModalSeam = INT_PTR (*)(Dialog& dialog);
void SetModalSeam(ModalSeam seam);
// Answers a property sheet instead of running it modally: the seam may
// create it modeless and drive it, and returns the result.
using SheetSeam = INT_PTR (*)(PropSheet& sheet);
void SetSheetSeam(SheetSeam seam);
// Open and Save As file names: returns false for Cancel.
using FileDialogSeam = bool (*)(bool open, std::string* path);
void SetFileDialogSeam(FileDialogSeam seam);
// Help calls: the window WinHelp is called with, file, command, data.
using HelpSeam = void (*)(HWND window, const char* file, UINT command, DWORD_PTR data);
void SetHelpSeam(HelpSeam seam);
// Opening a file through the shell: verb and file; returns success.
using ShellSeam = bool (*)(const char* verb, const char* file);
void SetShellSeam(ShellSeam seam);
// Opens a file with a shell verb ("open"); false when the shell could not.
bool ShellOpen(HWND owner, const char* verb, const char* file);
// Asks for a file name (the system's common dialog without a seam).
bool PromptFileName(HWND owner, bool open, const char* filter, const char* defExt,
                    std::string* path);
// The colour dialog: starts at *color and stores the choice there; returns
// false for Cancel.
using ColorDialogSeam = bool (*)(HWND owner, COLORREF* color);
void SetColorDialogSeam(ColorDialogSeam seam);
// Asks for a colour (the system's common dialog without a seam).
bool PromptColor(HWND owner, COLORREF* color);

}  // namespace kwf
