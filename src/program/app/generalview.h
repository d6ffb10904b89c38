// CGeneralView: the General tab, the product's name, version and company,
// the setup's language and its target platform.
#pragma once

#include "formpage.h"

class CGeneralView : public CFormPage {
 public:
  enum : int {
    kProductName = 2560, kProductVersion = 2561, kCompanyName = 2562, kLanguage = 2563,
    kPlatform = 2564,
  };
  // The platform codes of the project.
  enum : uint16_t { kWin16 = 1, kWin32 = 2 };

  CGeneralView() : CFormPage(IDD_GENERAL) {}

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void Fill() override;

 private:
  void FillLanguages();
  void LanguageChosen();
  void PlatformChosen();
};
