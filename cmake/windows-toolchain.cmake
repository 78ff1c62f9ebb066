# Cross-compiles for Windows x86-64 with MinGW-w64's posix compilers (C++ threads through
# winpthreads), against the Qt, QtKeychain and GoogleTest that
# scripts/windows/build-libraries.sh builds into its cache folder:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/windows-toolchain.cmake
# The cache folder is $OMBRELIA_WINDOWS_CACHE, or /var/cache/ombrelia-windows.
# Test executables run under Wine (CMAKE_CROSSCOMPILING_EMULATOR), so ctest works as usual; the
# wrapper the build script leaves in the cache puts the libraries' DLL folders on Wine's path
# and hands QT_* variables (QT_QPA_PLATFORM=offscreen) on to the program, which Wine would drop.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(OMBRELIA_WINDOWS_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${OMBRELIA_WINDOWS_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OMBRELIA_WINDOWS_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${OMBRELIA_WINDOWS_TRIPLE}-windres)

if(DEFINED ENV{OMBRELIA_WINDOWS_CACHE} AND NOT "$ENV{OMBRELIA_WINDOWS_CACHE}" STREQUAL "")
  set(OMBRELIA_WINDOWS_CACHE "$ENV{OMBRELIA_WINDOWS_CACHE}")
elseif(NOT OMBRELIA_WINDOWS_CACHE)
  set(OMBRELIA_WINDOWS_CACHE /var/cache/ombrelia-windows)
endif()
# try_compile projects read this file again: hand them the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OMBRELIA_WINDOWS_CACHE)

# Libraries, headers and CMake packages come from the cache and the MinGW-w64 sysroot only;
# programs (moc, rcc, uic, wine) are the host's.
set(CMAKE_FIND_ROOT_PATH
    ${OMBRELIA_WINDOWS_CACHE}/qt
    ${OMBRELIA_WINDOWS_CACHE}/qtkeychain
    ${OMBRELIA_WINDOWS_CACHE}/googletest
    /usr/${OMBRELIA_WINDOWS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A cross-built Qt runs the host's Qt tools (Debian: qt6-base-dev-tools), of the same version.
set(QT_HOST_PATH /usr CACHE PATH "Host Qt installation whose tools the Windows build runs")
foreach(candidate /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake /usr/lib/cmake)
  if(NOT QT_HOST_PATH_CMAKE_DIR AND EXISTS ${candidate}/Qt6HostInfo)
    set(QT_HOST_PATH_CMAKE_DIR ${candidate} CACHE PATH "CMake packages of the host Qt")
  endif()
endforeach()

# Windows executables run under Wine. The wrapper sets Wine's PATH to the libraries' DLLs and
# quiets Wine's debug channels unless WINEDEBUG says otherwise; plain wine is the fallback.
if(EXISTS ${OMBRELIA_WINDOWS_CACHE}/bin/wine-run)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${OMBRELIA_WINDOWS_CACHE}/bin/wine-run)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
