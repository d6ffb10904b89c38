// The Program Icons tab: program folders and their shortcuts.
#include "programiconsview.h"

#include "resids.h"

CProgramIconsView::CProgramIconsView() : CTabClientEx(IDD_PROGRAMICONS) {}
