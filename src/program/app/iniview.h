// The INI Files tab: INI files, their sections and keys.
#pragma once

#include "tabview.h"

class CIniView : public CTabClientEx {
 public:
  CIniView();
};
