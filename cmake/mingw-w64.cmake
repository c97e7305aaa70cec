# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads).
# KALDEN_WIN_PREFIX is the folder the Windows dependencies are installed in;
# when this file is copied into that folder it finds it on its own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT KALDEN_WIN_PREFIX)
  if(DEFINED ENV{KALDEN_WIN_PREFIX})
    set(KALDEN_WIN_PREFIX "$ENV{KALDEN_WIN_PREFIX}")
  else()
    get_filename_component(KALDEN_WIN_PREFIX "${CMAKE_CURRENT_LIST_DIR}" ABSOLUTE)
  endif()
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KALDEN_WIN_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${KALDEN_WIN_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
