// The Registry tab.
#include "registryview.h"

#include "resids.h"

CRegistryView::CRegistryView() : CTabClientEx(IDD_REGISTRY) {}
