// Resources of the program's own executable: the few fixed start-up texts
// that must show before any resource library is loaded.
#pragma once

#define IDS_START_WIN32S_WARNING 1
#define IDS_START_NO_RESOURCES   2
#define IDI_PROGRAM              1
