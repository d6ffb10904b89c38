// Dialogs of start-up and of the build's end:
//   CWelcomeDialog   what to do first (template 5)
//   CAboutDialog     the program's version (template 2)
//   CFinishedDialog  where the setup was made (template 26)
// Each only reads its controls into its fields; the caller acts on them, so
// a test can answer the dialog through the modal seam.
#pragma once

#include "framework.h"

#include <string>

class CWelcomeDialog : public kwf::Dialog {
 public:
  enum : int { kOpenExisting = 101, kOpenLast = 102, kCreateNew = 103, kDontShow = 201 };
  explicit CWelcomeDialog(bool hasRecentFile) : Dialog(5), hasRecent_(hasRecentFile) {
    choice = hasRecentFile ? kOpenLast : kOpenExisting;
  }
  // Results, valid after OK.
  int choice;
  bool dontShowAgain = false;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  bool hasRecent_;
};

class CAboutDialog : public kwf::Dialog {
 public:
  static constexpr int kVersionStatic = 772;
  // Ctrl+Shift and a click on this picture open the credits.
  static constexpr int kCreditsBitmap = 13;
  CAboutDialog() : Dialog(2) {}

 protected:
  bool OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;
};

// Who made the program (template 30721), from the About box.
class CCreditsDialog : public kwf::Dialog {
 public:
  CCreditsDialog() : Dialog(30721) {}

 protected:
  bool OnInitDialog() override;
};

// The product version of a module as the About box shows it: "ProductVersion"
// of the first translation (at most 31 characters), else "%d.%02d" of the
// fixed block, else "(Unknown)".
std::string ModuleProductVersion(HMODULE module);

class CFinishedDialog : public kwf::Dialog {
 public:
  enum : int { kTextStatic = 100, kDontShow = 101 };
  explicit CFinishedDialog(const std::string& folder) : Dialog(26), folder_(folder) {}
  const std::string& Folder() const { return folder_; }
  bool dontShowAgain = false;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  std::string folder_;
};
