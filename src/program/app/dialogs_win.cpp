// The welcome, About and Build Finished dialogs.
#include "dialogs.h"

#include "controls.h"

#include <cstdio>
#include <vector>

namespace {

// Help contexts of the welcome dialog's controls, ended by a zero pair.
const DWORD kWelcomeHelpIds[] = {1,      0x1389, 2,      0x138A, 101, 0x14B5, 102,
                                 0x14B6, 103,    0x14B7, 201,    0x14B8, 0xFFFF, static_cast<DWORD>(-1),
                                 0,      0};

// A control's text with its first "%s" replaced; texts from the resource
// library are never used as printf formats.
void FillPlaceholder(HWND dialog, int id, const std::string& value) {
  char text[1024] = {};
  ::GetDlgItemTextA(dialog, id, text, sizeof text);
  std::string out = text;
  size_t at = out.find("%s");
  if (at != std::string::npos)
    out.replace(at, 2, value);
  ::SetDlgItemTextA(dialog, id, out.c_str());
}

// The About box asks itself for the credits.
constexpr UINT kMsgCredits = WM_APP + 2;
constexpr char kOldProcProp[] = "KwCreditsOldProc";

LRESULT CALLBACK CreditsBitmapProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(::GetPropA(hwnd, kOldProcProp));
  if (msg == WM_LBUTTONDOWN && (wParam & (MK_CONTROL | MK_SHIFT)) == (MK_CONTROL | MK_SHIFT)) {
    ::PostMessageA(::GetParent(hwnd), kMsgCredits, 0, 0);
    return 0;
  }
  if (msg == WM_NCDESTROY && old) {
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    ::RemovePropA(hwnd, kOldProcProp);
  }
  return old ? ::CallWindowProcA(old, hwnd, msg, wParam, lParam)
             : ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

bool CWelcomeDialog::OnInitDialog() {
  MakeNonBold(hwnd_);
  ::EnableWindow(::GetDlgItem(hwnd_, kOpenLast), hasRecent_);
  ::CheckRadioButton(hwnd_, kOpenExisting, kCreateNew, hasRecent_ ? kOpenLast : kOpenExisting);
  kwf::CenterWindow(hwnd_);
  return true;
}

void CWelcomeDialog::OnOK() {
  for (int id : {kOpenExisting, kOpenLast, kCreateNew})
    if (::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED)
      choice = id;
  dontShowAgain = ::IsDlgButtonChecked(hwnd_, kDontShow) == BST_CHECKED;
  EndDialog(IDOK);
}

bool CWelcomeDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  if (msg != WM_HELP)
    return false;
  kwf::Application* app = kwf::GetApp();
  auto* info = reinterpret_cast<HELPINFO*>(lParam);
  if (app && !app->HelpFile().empty())
    app->WinHelpFile(app->HelpFile(), reinterpret_cast<DWORD_PTR>(kWelcomeHelpIds), HELP_WM_HELP,
                     static_cast<HWND>(info->hItemHandle));
  *result = TRUE;
  return true;
}

std::string ModuleProductVersion(HMODULE module) {
  char path[MAX_PATH] = {};
  if (!::GetModuleFileNameA(module, path, sizeof path))
    return "(Unknown)";
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
  if (size == 0)
    return "(Unknown)";
  std::vector<char> block(size);
  if (!::GetFileVersionInfoA(path, 0, size, block.data()))
    return "(Unknown)";
  WORD* translation = nullptr;
  UINT length = 0;
  if (::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &length) &&
      length >= 4) {
    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\ProductVersion",
                  translation[0], translation[1]);
    char* text = nullptr;
    if (::VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&text), &length) && text &&
        length > 0)
      return std::string(text).substr(0, 31);
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  if (::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
      length >= sizeof(VS_FIXEDFILEINFO)) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", HIWORD(fixed->dwProductVersionMS),
                  LOWORD(fixed->dwProductVersionMS));
    return text;
  }
  return "(Unknown)";
}

bool CAboutDialog::OnInitDialog() {
  FillPlaceholder(hwnd_, kVersionStatic, ModuleProductVersion(nullptr));
  MakeNonBold(hwnd_);
  if (HWND picture = ::GetDlgItem(hwnd_, kCreditsBitmap)) {
    LONG_PTR old = ::SetWindowLongPtrA(picture, GWLP_WNDPROC,
                                       reinterpret_cast<LONG_PTR>(&CreditsBitmapProc));
    ::SetPropA(picture, kOldProcProp, reinterpret_cast<HANDLE>(old));
  }
  kwf::CenterWindow(hwnd_);
  return true;
}

bool CAboutDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  if (msg != kMsgCredits)
    return false;
  CCreditsDialog credits;
  credits.DoModal(hwnd_);
  *result = TRUE;
  return true;
}

bool CCreditsDialog::OnInitDialog() {
  MakeNonBold(hwnd_);
  kwf::CenterWindow(hwnd_);
  return true;
}

bool CFinishedDialog::OnInitDialog() {
  FillPlaceholder(hwnd_, kTextStatic, folder_);
  MakeNonBold(hwnd_);
  kwf::CenterWindow(hwnd_);
  return true;
}

void CFinishedDialog::OnOK() {
  dontShowAgain = ::IsDlgButtonChecked(hwnd_, kDontShow) == BST_CHECKED;
  EndDialog(IDOK);
}
