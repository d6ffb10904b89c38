// The page of each tab, by its template: an editor where one exists, else a
// plain page on the template.
#include "tabview.h"

#include "createsetup.h"

std::unique_ptr<CTabClientEx> MakeTabPage(UINT templateId) {
  switch (templateId) {
    case IDD_CREATESETUP: return std::make_unique<CCreateSetupView>();
    default: return std::make_unique<CTabClientEx>(templateId);
  }
}
