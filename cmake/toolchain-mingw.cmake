# Cross build for Windows with MinGW-w64 (posix thread model, which
# GoogleTest needs). KW_WIN_ARCH picks i686 (the shipped 32-bit programs,
# the default) or x86_64 (for machines whose Wine runs only 64-bit code).
if(NOT KW_WIN_ARCH)
  set(KW_WIN_ARCH i686)
endif()
set(KW_WIN_ARCH ${KW_WIN_ARCH} CACHE STRING "i686 or x86_64" FORCE)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KW_WIN_ARCH})
set(CMAKE_C_COMPILER ${KW_WIN_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${KW_WIN_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${KW_WIN_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KW_WIN_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
