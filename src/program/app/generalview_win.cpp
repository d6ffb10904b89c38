// The General tab.
#include "generalview.h"

#include "app.h"
#include "ctrls.h"
#include "extension.h"

#include <cstdio>
#include <iterator>

namespace {

const CFormPage::ListEntry kPlatforms[] = {
    {IDS_OS_WIN32, CGeneralView::kWin32},
    {IDS_OS_WIN16, CGeneralView::kWin16},
};

const int kTextEdits[] = {CGeneralView::kProductName, CGeneralView::kProductVersion,
                          CGeneralView::kCompanyName};

// Language names are cut to what the list showed of old.
constexpr unsigned kLanguageNameSize = 128;

}  // namespace

bool CGeneralView::OnInitDialog() {
  CTabClientEx::OnInitDialog();
  for (int id : kTextEdits)
    LimitText(id);
  FillList(kPlatform, kPlatforms, std::size(kPlatforms));
  FillLanguages();
  return false;
}

void CGeneralView::FillLanguages() {
  CKitwrightApp* app = GetKitwrightApp();
  const CIKitwrightExtension* extensions = app ? app->Extensions() : nullptr;
  kwf::ComboBox list(Item(kLanguage));
  for (size_t i = 0; extensions && i < extensions->GetSize(); ++i) {
    const tagEXTENSIONENTRY* entry = extensions->GetAt(i);
    if (!entry || !entry->extension)
      continue;
    WORD language = entry->extension->GetLanguage();
    char name[kLanguageNameSize];
    if (!CIKitwrightExtension::LanguageName(language, name, sizeof name))
      std::snprintf(name, sizeof name, "%u", language);
    list.AddString(name, language);
  }
}

void CGeneralView::Fill() {
  SelectValue(kPlatform, project_->m_wOperatingSystem, true);
  // A language no extension offers shows the first entry; the project
  // keeps its own until the user picks one.
  SelectValue(kLanguage, project_->m_wSetupLanguage);
  SetItemText(kProductName, project_->m_strProductName);
  SetItemText(kProductVersion, project_->m_strProductVersion);
  SetItemText(kCompanyName, project_->m_strCompanyName);
}

bool CGeneralView::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case kProductName:
    case kProductVersion:
    case kCompanyName:
      if (code == EN_CHANGE && Editing()) {
        CQVString& field = id == kProductName      ? project_->m_strProductName
                           : id == kProductVersion ? project_->m_strProductVersion
                                                   : project_->m_strCompanyName;
        StoreText(field, id);
      }
      return true;
    case kLanguage:
      if (code == CBN_SELCHANGE && Editing())
        LanguageChosen();
      return true;
    case kPlatform:
      if (code == CBN_SELCHANGE && Editing())
        PlatformChosen();
      return true;
  }
  return CTabClientEx::OnCommand(id, code, control);
}

void CGeneralView::LanguageChosen() {
  uint32_t language;
  if (!SelectedValue(kLanguage, &language) || !Store(project_->m_wSetupLanguage, language))
    return;
  CKitwrightApp* app = GetKitwrightApp();
  if (app && app->Extensions())
    app->Extensions()->SetCurrentLanguage(static_cast<WORD>(language));
}

void CGeneralView::PlatformChosen() {
  uint32_t platform;
  // Other tabs depend on the platform: they all reload.
  if (SelectedValue(kPlatform, &platform) && Store(project_->m_wOperatingSystem, platform))
    project_->UpdateAllViews(0);
}
