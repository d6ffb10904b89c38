// CKitwrightApp: start-up, idle work, the document, exit.
#include "app.h"

#include "platform/clock.h"

#include "appres.h"
#include "controls.h"
#include "dialogs.h"
#include "errors.h"
#include "extension.h"
#include "profile.h"
#include "projfile/projfile.h"
#include "reslang.h"
#include "resids.h"

#include <mapi.h>
#include <ole2.h>

#include <algorithm>

namespace {

constexpr char kSettings[] = "U:Settings";
constexpr char kRecentSection[] = "U:Recent File List";
constexpr char kPreviewClass[] = "PreviewWClass";
constexpr UINT kDocStrings = IDR_MAINFRAME;
constexpr UINT kHelpFileString = 0x4002;
constexpr UINT kSavePrompt = 0xF103;
constexpr UINT kSendFailed = 0xF181;
constexpr UINT kUsageString = 3;

std::string OwnString(HINSTANCE instance, UINT id) {
  char buffer[1024];
  int n = ::LoadStringA(instance, id, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

// The file-open failure texts name the file as %1.
std::string ProjectFileText(uint16_t code, const std::string& path) {
  std::string text = kwf::LoadResString(code);
  if (text.empty())
    return kw::FormatProjectFileMessage(code, path);
  return ReplaceAll(text, "%1", path);
}

CKitwrightApp::Win32sQuery g_win32sQuery = nullptr;

bool IsWin32s() {
  if (g_win32sQuery)
    return g_win32sQuery();
  OSVERSIONINFOA os = {};
  os.dwOSVersionInfoSize = sizeof os;
  return ::GetVersionExA(&os) && os.dwPlatformId == VER_PLATFORM_WIN32s;
}

}  // namespace

std::string CKitwrightApp::DocExtension() const {
  return GetDocTemplate() ? GetDocTemplate()->GetDocString(kwf::DocTemplate::kFilterExt)
                          : std::string(".kwr");
}

std::string CKitwrightApp::DocFilter() const {
  if (GetDocTemplate())
    return GetDocTemplate()->FileFilter();
  static const char kFilter[] = "Kitwright Projects (*.kwr)\0*.kwr\0";
  return std::string(kFilter, sizeof kFilter);
}

CKitwrightApp* GetKitwrightApp() { return static_cast<CKitwrightApp*>(kwf::GetApp()); }

void CKitwrightApp::SetWin32sQuery(Win32sQuery query) { g_win32sQuery = query; }

void CKitwrightApp::WinHelp(DWORD_PTR data, UINT command) {
  kwf::Application::WinHelp(data, command == HELP_CONTEXT ? HELP_CONTEXTPOPUP : command);
}

CKitwrightApp::CKitwrightApp() { SetTitle("Kitwright"); }

CKitwrightApp::~CKitwrightApp() { ReleaseLibraries(); }

bool CKitwrightApp::InitInstance(const char* commandLine, int show) {
  // Builds from the window honour SOURCE_DATE_EPOCH as the command-line builder does.
  kw::FixClockFromEnvironment();
  ProfileSetRegistryBase(kProfileKeyPath);
  ProfileSetIniFile(kProfileIniFile);
  instance_ = ::GetModuleHandleA(nullptr);
  const bool win32s = IsWin32s();

  if (win32s && kwf::AppMessageBox(nullptr, OwnString(instance_, IDS_START_WIN32S_WARNING).c_str(),
                                   MB_YESNO | MB_ICONSTOP) != IDYES)
    return false;

  if (!lngFolder_.empty())
    theLanguageArray.SetFolder(lngFolder_);
  resourcesLoaded_ = true;
  if (!theLanguageArray.Load()) {
    kwf::AppMessageBox(nullptr, OwnString(instance_, IDS_START_NO_RESOURCES).c_str(),
                       MB_OK | MB_ICONSTOP);
    ReleaseLibraries();
    return false;
  }
  std::string appTitle = kwf::ResSubString(kDocStrings, 0);
  if (!appTitle.empty())
    SetTitle(appTitle);
  SetHelpFile(kwf::LoadResString(kHelpFileString));

  cmdInfo_ = kwf::ParseCommandLine(commandLine);
  if (cmdInfo_.showUsage) {
    kwf::AppMessageBox(nullptr, kwf::LoadResString(kUsageString).c_str(), MB_OK | MB_ICONINFORMATION);
    ReleaseLibraries();
    return false;
  }

  startTick_ = ::GetTickCount();
  if (cmdInfo_.showSplash)
    splash_.Show(instance_);

  try {
    extensions_ = std::make_unique<CIKitwrightExtension>(lngFolder_);
  } catch (const CIKitwrightExtension::CXNoExtensions&) {
    extensions_.reset();
  }
  if (!extensions_ || extensions_->GetSize() == 0) {
    splash_.Hide();
    ReportError(2, MAKEINTRESOURCEA(0x402), kSeverityFatal);
    ReleaseLibraries();
    return false;
  }

  ::OleInitialize(nullptr);
  auto docTemplate = std::make_unique<kwf::DocTemplate>(kDocStrings);
  docTemplate->LoadStrings();
  AddDocTemplate(std::move(docTemplate));
  project_.SetViews(this);
  GetDocTemplate()->RegisterShellFileTypes();

  classesRegistered_ = true;
  if (!RegisterBitmapControl(instance_) && ReportWindowClassError(kBitmapControlClass)) {
    ReleaseLibraries();
    return false;
  }
  WNDCLASSEXA preview = {};
  preview.cbSize = sizeof preview;
  preview.lpfnWndProc = &::DefWindowProcA;
  preview.hInstance = instance_;
  preview.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  preview.lpszClassName = kPreviewClass;
  if (!theLanguageArray.RegisterWindowClass(&preview) && ReportWindowClassError(kPreviewClass)) {
    ReleaseLibraries();
    return false;
  }
  if (!RegisterCheckListBox(instance_) && ReportWindowClassError(kCheckListClass)) {
    ReleaseLibraries();
    return false;
  }

  // The window can neither start hidden nor maximised.
  show_ = (show == SW_HIDE || show == SW_SHOWMAXIMIZED) ? SW_SHOWNORMAL : show;

  frame_ = std::make_unique<CKitwrightWnd>();
  if (!frame_->CreateFrame(instance_)) {
    frame_.reset();
    ReportWindowClassError(kMainWindowClass);
    ReleaseLibraries();
    return false;
  }
  SetMainWindow(frame_->Handle());
  SetAccelerators(theLanguageArray.LoadAccelerators(MAKEINTRESOURCEA(kDocStrings)));
  frame_->View().SetProject(&project_);

  bool opened = false;
  if (cmdInfo_.shellCommand == kwf::CommandLineInfo::kFileOpen)
    opened = OpenDocumentFile(cmdInfo_.fileName);
  // A file that does not open leaves the program with a new project.
  if (!opened && !OnFileNew()) {
    ReleaseLibraries();
    return false;
  }
  ::ShowWindow(frame_->Handle(), show_);
  ::UpdateWindow(frame_->Handle());
  splash_.KeepInFront();
  return true;
}

bool CKitwrightApp::OnIdle(long count) {
  if (count == 0 && frame_)
    frame_->UpdateIndicators();
  if (splash_.IsShown()) {
    if (::GetTickCount() - startTick_ < kSplashMs)
      return true;
    splash_.Hide();
    // The window shown behind the splash takes the activation it had.
    if (MainWindow() && ::IsWindowVisible(MainWindow()))
      ::SetForegroundWindow(MainWindow());
  }
  if (!idleDone_) {
    idleDone_ = true;
    if (cmdInfo_.shellCommand == kwf::CommandLineInfo::kFileNew ||
        cmdInfo_.shellCommand == kwf::CommandLineInfo::kFileNothing)
      ShowWelcome();
  }
  return false;
}

void CKitwrightApp::ShowWelcome() {
  if (ProfileGetInt(kSettings, "DisplayWelcome", 1) == 0)
    return;
  std::vector<std::string> recent = RecentFiles();
  CWelcomeDialog dialog(!recent.empty());
  if (dialog.DoModal(MainWindow()) != IDOK)
    return;
  ProfileWriteInt(kSettings, "DisplayWelcome", dialog.dontShowAgain ? 0 : 1);
  if (dialog.choice == CWelcomeDialog::kOpenExisting)
    OnFileOpen();
  else if (dialog.choice == CWelcomeDialog::kOpenLast && !recent.empty() && SaveModified())
    OpenDocumentFile(recent.front());
}

void CKitwrightApp::OnAppAbout() {
  CAboutDialog dialog;
  dialog.DoModal(MainWindow());
}

void CKitwrightApp::ShowFinished(const std::string& outputFolder) {
  if (ProfileGetInt(kSettings, "DisplayFinished", 1) == 0)
    return;
  CFinishedDialog dialog(outputFolder);
  if (dialog.DoModal(MainWindow()) == IDOK)
    ProfileWriteInt(kSettings, "DisplayFinished", dialog.dontShowAgain ? 0 : 1);
}

int CKitwrightApp::ExitInstance() {
  ReleaseLibraries();
  return kwf::Application::ExitInstance();
}

void CKitwrightApp::ReleaseLibraries() {
  if (frame_) {
    frame_.reset();
    // The window's end posts a quit that belongs to no loop any more.
    MSG msg;
    ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  SetMainWindow(nullptr);
  splash_.Hide();
  extensions_.reset();
  if (classesRegistered_) {
    classesRegistered_ = false;
    CKitwrightWnd::UnregisterClass(instance_);
    CSplashScreen::UnregisterClass(instance_);
    ::UnregisterClassA(kBitmapControlClass, instance_);
    ::UnregisterClassA(kPreviewClass, instance_);
    UnregisterCheckListBox();
    ::OleUninitialize();
  }
  if (resourcesLoaded_) {
    resourcesLoaded_ = false;
    theLanguageArray.Unload();
  }
}

void CKitwrightApp::UpdateAllViews(uint32_t hint) {
  if (frame_ && frame_->View().Handle())
    frame_->View().OnUpdate(hint);
}

std::string CKitwrightApp::DocumentTitle() const {
  const std::string& path = project_.GetPathName();
  if (path.empty()) {
    std::string untitled =
        GetDocTemplate() ? GetDocTemplate()->GetDocString(kwf::DocTemplate::kDocName) : std::string();
    return untitled.empty() ? "Untitled" : untitled;
  }
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CKitwrightApp::AfterDocumentChange() {
  if (!frame_)
    return;
  frame_->View().SetProject(&project_);
  frame_->View().OnInitialUpdate();
  frame_->UpdateTitle(DocumentTitle());
}

bool CKitwrightApp::OnFileNew() {
  if (frame_ && frame_->View().GetClientCount() > 0 && !SaveModified())
    return false;
  NewProjectTexts texts;
  std::string s;
  if (!(s = kwf::LoadResString(50)).empty()) texts.programFiles = s;
  if (!(s = kwf::LoadResString(51)).empty()) texts.helpFiles = s;
  if (!(s = kwf::LoadResString(52)).empty()) texts.sampleFiles = s;
  // The setup language chosen last on the General tab, the system's until then.
  WORD language = extensions_ ? extensions_->CurrentLanguage() : 1033;
  if (!project_.OnNewDocument(language, texts))
    return false;
  project_.SetPathName(std::string());
  project_.CDocumentBase::SetModifiedFlag(false);
  AfterDocumentChange();
  return true;
}

bool CKitwrightApp::OnFileOpen() {
  std::string filters = DocFilter();
  std::string ext = DocExtension();
  std::string path;
  if (!kwf::PromptFileName(MainWindow(), true, filters.c_str(), ext.empty() ? nullptr : ext.c_str() + 1,
                           &path))
    return false;
  if (!SaveModified())
    return false;
  return OpenDocumentFile(path);
}

bool CKitwrightApp::OpenDocumentFile(const std::string& path) {
  uint16_t code = kw::LoadProject(project_, path);
  if (code != kw::kProjectOk) {
    kwf::AppMessageBox(MainWindow(), ProjectFileText(code, path).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  AddRecentFile(path);
  AfterDocumentChange();
  return true;
}

bool CKitwrightApp::DoSave(const std::string& path) {
  uint16_t code = kw::SaveProject(project_, path);
  if (code != kw::kProjectOk) {
    kwf::AppMessageBox(MainWindow(), ProjectFileText(code, path).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  AddRecentFile(path);
  if (frame_)
    frame_->UpdateTitle(DocumentTitle());
  return true;
}

bool CKitwrightApp::OnFileSave() {
  if (project_.GetPathName().empty())
    return OnFileSaveAs();
  return DoSave(project_.GetPathName());
}

bool CKitwrightApp::OnFileSaveAs() {
  std::string filters = DocFilter();
  std::string ext = DocExtension();
  std::string path = project_.GetPathName();
  if (path.empty())
    path = DocumentTitle() + ext;
  if (!kwf::PromptFileName(MainWindow(), false, filters.c_str(),
                           ext.empty() ? nullptr : ext.c_str() + 1, &path))
    return false;
  return DoSave(path);
}

bool CKitwrightApp::SaveModified() {
  if (!project_.IsModified())
    return true;
  std::string text = ReplaceAll(kwf::LoadResString(kSavePrompt), "%1", DocumentTitle());
  switch (kwf::AppMessageBox(MainWindow(), text.c_str(), MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL:
      return false;
    case IDYES:
      return OnFileSave();
    default:
      return true;
  }
}

bool CKitwrightApp::MailAvailable() {
  return ::GetProfileIntA("MAIL", "MAPI", 0) != 0 &&
         ::SearchPathA(nullptr, "MAPI32.DLL", nullptr, 0, nullptr, nullptr) != 0;
}

void CKitwrightApp::OnFileSendMail() {
  // The project goes as it is now, saved or not, through a copy.
  char folder[MAX_PATH], temp[MAX_PATH];
  if (!::GetTempPathA(sizeof folder, folder) || !::GetTempFileNameA(folder, "kwr", 0, temp)) {
    kwf::AppMessageBox(MainWindow(), kwf::LoadResString(kSendFailed).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  uint16_t code = kw::SaveProjectCopy(project_, temp);
  if (code != kw::kProjectOk) {
    ::DeleteFileA(temp);
    kwf::AppMessageBox(MainWindow(), ProjectFileText(code, temp).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  std::string name = DocumentTitle();
  std::string ext = DocExtension();
  if (name.find('.') == std::string::npos)
    name += ext.empty() ? ".kwr" : ext;
  ULONG result = MAPI_E_FAILURE;
  if (HMODULE mapi = ::LoadLibraryA("MAPI32.DLL")) {
    auto send = reinterpret_cast<LPMAPISENDMAIL>(
        reinterpret_cast<void*>(::GetProcAddress(mapi, "MAPISendMail")));
    if (send) {
      MapiFileDesc file = {};
      file.nPosition = static_cast<ULONG>(-1);
      file.lpszPathName = temp;
      file.lpszFileName = &name[0];
      MapiMessage message = {};
      message.nFileCount = 1;
      message.lpFiles = &file;
      result = send(0, reinterpret_cast<ULONG_PTR>(MainWindow()), &message,
                    MAPI_LOGON_UI | MAPI_DIALOG, 0);
    }
    ::FreeLibrary(mapi);
  }
  ::DeleteFileA(temp);
  if (result != SUCCESS_SUCCESS && result != MAPI_USER_ABORT && result != MAPI_E_LOGIN_FAILURE)
    kwf::AppMessageBox(MainWindow(), kwf::LoadResString(kSendFailed).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::vector<std::string> CKitwrightApp::RecentFiles() const {
  std::vector<std::string> files;
  for (int i = 1; i <= kRecentFiles; ++i) {
    char entry[16], buffer[MAX_PATH] = {};
    wsprintfA(entry, "File%d", i);
    ProfileGetString(kRecentSection, entry, "", buffer, sizeof buffer);
    if (buffer[0])
      files.push_back(buffer);
  }
  return files;
}

void CKitwrightApp::AddRecentFile(const std::string& path) {
  std::vector<std::string> files = RecentFiles();
  files.erase(std::remove_if(files.begin(), files.end(),
                             [&](const std::string& f) { return lstrcmpiA(f.c_str(), path.c_str()) == 0; }),
              files.end());
  files.insert(files.begin(), path);
  if (files.size() > static_cast<size_t>(kRecentFiles))
    files.resize(kRecentFiles);
  for (size_t i = 0; i < files.size(); ++i) {
    char entry[16];
    wsprintfA(entry, "File%d", static_cast<int>(i + 1));
    ProfileWriteString(kRecentSection, entry, files[i].c_str());
  }
}
