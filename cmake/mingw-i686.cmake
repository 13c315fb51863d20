# Cross toolchain: 32-bit Windows (x86). Debian's wine wrapper picks the 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CORVASIN_TRIPLET i686-w64-mingw32)
set(CORVASIN_ARCH x86)
set(CORVASIN_WINEARCH win32)
set(CORVASIN_WINE wine)
set(CORVASIN_WINESERVER wineserver)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
