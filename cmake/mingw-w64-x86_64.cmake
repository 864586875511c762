# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX thread model); the programs run
# under Wine. Libraries and headers come from the folder that `scripts/install-deps.sh --windows`
# fills: CVL_WINDOWS_DEPS when set in the environment, else
# ${XDG_CACHE_HOME:-~/.cache}/convergeoutloader/windows-deps. Never /usr/include: the build
# machine's C library headers do not fit the Windows target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(DEFINED ENV{CVL_WINDOWS_DEPS})
  set(CVL_WINDOWS_DEPS "$ENV{CVL_WINDOWS_DEPS}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(CVL_WINDOWS_DEPS "$ENV{XDG_CACHE_HOME}/convergeoutloader/windows-deps")
else()
  set(CVL_WINDOWS_DEPS "$ENV{HOME}/.cache/convergeoutloader/windows-deps")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${CVL_WINDOWS_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs, and anything else the build or the tests run, go through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")
