# Cross-build for 64-bit Windows with Debian's MinGW-w64 compilers. The -posix ones:
# std::thread and std::mutex need the winpthreads threading model. Programs without Qt link
# the GCC and MinGW runtimes statically (an .exe with no DLL beside it); those with Qt share
# the runtime DLLs Qt was built with (see the top CMakeLists.txt).
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

# Qt and QCustomPlot for MinGW, where scripts/setup unpacks or builds them: the window is
# built when they are there. Its host tools (moc, uic, rcc) are Debian's own Qt 6 ones.
set(LGCSET_WINDOWS_QT_DIR "${CMAKE_CURRENT_LIST_DIR}/../build/qt6-mingw" CACHE PATH
  "Qt 6 and QCustomPlot cross-built for MinGW-w64 (scripts/setup puts them here)")
get_filename_component(LGCSET_WINDOWS_QT_DIR "${LGCSET_WINDOWS_QT_DIR}" ABSOLUTE)
if(EXISTS "${LGCSET_WINDOWS_QT_DIR}/lib/cmake/Qt6/Qt6Config.cmake")
  # The root is the tree, the prefix its lib/cmake: the way Qt's own toolchain file does
  # it, since CMake does not reroot a prefix that lies inside a root.
  list(PREPEND CMAKE_FIND_ROOT_PATH "${LGCSET_WINDOWS_QT_DIR}")
  list(PREPEND CMAKE_PREFIX_PATH "${LGCSET_WINDOWS_QT_DIR}/lib/cmake")
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LGCSET_WINDOWS_QT_DIR)

# The programs built here (tests included) run under Wine on the build machine, each
# build folder with a Wine prefix of its own.
set(CMAKE_CROSSCOMPILING_EMULATOR
  ${CMAKE_CURRENT_LIST_DIR}/wine-run;${CMAKE_BINARY_DIR}/wineprefix)
