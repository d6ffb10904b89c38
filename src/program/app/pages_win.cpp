// The page of each tab, by its template: an editor where one exists, else a
// plain page on the template.
#include "tabview.h"

#include "createsetup.h"
#include "filesview.h"
#include "generalview.h"
#include "iniview.h"
#include "programiconsview.h"
#include "registryview.h"
#include "requirementsview.h"
#include "visualdesignview.h"

std::unique_ptr<CTabClientEx> MakeTabPage(UINT templateId) {
  switch (templateId) {
    case IDD_CREATESETUP: return std::make_unique<CCreateSetupView>();
    case IDD_FILES: return std::make_unique<CFilesView>();
    case IDD_GENERAL: return std::make_unique<CGeneralView>();
    case IDD_INIFILES: return std::make_unique<CIniView>();
    case IDD_PROGRAMICONS: return std::make_unique<CProgramIconsView>();
    case IDD_REGISTRY: return std::make_unique<CRegistryView>();
    case IDD_REQUIREMENTS: return std::make_unique<CRequirementsView>();
    case IDD_VISUALDESIGN: return std::make_unique<CVisualDesignView>();
    default: return std::make_unique<CTabClientEx>(templateId);
  }
}
