# What both cross toolchains share: MinGW-w64 with the posix thread model (std::mutex), a
# static runtime, and Wine to run what is built. The including file sets CORVASIN_TRIPLET,
# CMAKE_SYSTEM_PROCESSOR and CORVASIN_WINE (the loader that runs this architecture's programs).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${CORVASIN_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVASIN_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVASIN_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CORVASIN_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static (not only -static-libgcc/-static-libstdc++) so winpthread is linked in as well.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CORVASIN_WINE})
