# Cross-build for 64-bit Windows with Debian's MinGW-w64 compilers. The -posix ones:
# std::thread and std::mutex need the winpthreads threading model. Everything is linked
# statically (libgcc, libstdc++, winpthreads), so an .exe needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LGCSET_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LGCSET_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LGCSET_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LGCSET_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LGCSET_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The programs built here (tests included) run under Wine on the build machine, each
# build folder with a Wine prefix of its own.
set(CMAKE_CROSSCOMPILING_EMULATOR
  ${CMAKE_CURRENT_LIST_DIR}/wine-run;${CMAKE_BINARY_DIR}/wineprefix)
