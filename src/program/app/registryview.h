// The Registry tab: keys and values that the setup writes.
#pragma once

#include "tabview.h"

class CRegistryView : public CTabClientEx {
 public:
  CRegistryView();
};
