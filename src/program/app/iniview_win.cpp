// The INI Files tab: INI files, their sections and keys.
#include "iniview.h"

#include "resids.h"

CIniView::CIniView() : CTabClientEx(IDD_INIFILES) {}
