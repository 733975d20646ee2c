# Cross-building Rostrel for 64-bit Windows on Debian with MinGW-w64 (GCC, posix threads), against
# the Windows SDK that scripts/windows-sdk.sh puts in /opt/rostrel-windows-sdk (Qt 6 and a static
# libzip built for Windows). Qt's host tools (moc, rcc, uic) are the Linux ones from qt6-base-dev.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The SDK may live elsewhere: set ROSTREL_WINDOWS_SDK in the environment. The tests run under
# Wine, which ctest starts for every Windows program it runs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ROSTREL_WINDOWS_SDK /opt/rostrel-windows-sdk)
if(DEFINED ENV{ROSTREL_WINDOWS_SDK})
  set(ROSTREL_WINDOWS_SDK $ENV{ROSTREL_WINDOWS_SDK})
endif()
set(ROSTREL_MINGW_ROOT /usr/x86_64-w64-mingw32)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_STRIP x86_64-w64-mingw32-strip)

set(CMAKE_FIND_ROOT_PATH ${ROSTREL_MINGW_ROOT} ${ROSTREL_WINDOWS_SDK})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_PREFIX_PATH ${ROSTREL_WINDOWS_SDK})

set(QT_HOST_PATH /usr)
set(Qt6HostInfo_DIR /usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo)

# ctest runs the test programs, and gtest_discover_tests lists their tests, through Wine, by way
# of scripts/wine-test.sh, which runs a program once more when Wine itself broke as it ended.
find_program(ROSTREL_WINE wine)
if(ROSTREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test.sh
      ${ROSTREL_WINE})
endif()
