// The Program Icons tab: program folders and their shortcuts.
#pragma once

#include "tabview.h"

class CProgramIconsView : public CTabClientEx {
 public:
  CProgramIconsView();
};
