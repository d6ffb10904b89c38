// Resource ids of the extension libraries (also read by the .rc scripts).
#pragma once

#define IDS_EXT_GUID 16384
#define IDS_EXT_LANGUAGE 16385
#define IDD_EXT_ABOUT 16384
#define IDI_EXT_ICON 1
#define IDC_EXT_LANGLINE 1001
#define RT_LOADER 258
#define IDR_LOADER_WIN16 1
#define IDR_LOADER_WIN32 2
