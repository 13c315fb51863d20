# Cross toolchain: 64-bit Windows (x64). The 64-bit loader is called by its own path: Debian's
# wine wrapper takes the 32-bit one whenever wine32 is installed, and that one cannot run on a
# host without 32-bit support.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CORVASIN_TRIPLET x86_64-w64-mingw32)
set(CORVASIN_ARCH x64)
set(CORVASIN_WINEARCH win64)
set(CORVASIN_WINE /usr/lib/wine/wine64)
set(CORVASIN_WINESERVER /usr/lib/wine/wineserver64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
