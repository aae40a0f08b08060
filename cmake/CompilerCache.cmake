# Every compile goes through ccache when it is installed (scripts/setup installs it), the
# MinGW and clang trees included. Paths below the source tree are hashed relative to it and
# the build folder is left out of the hash, so that a fresh clone elsewhere on the same
# machine (CI's) is served by the cache that earlier builds warmed. A launcher given on the
# command line is kept; -DLGCSET_CCACHE=OFF compiles without the cache.
#
# A batch of sources (unity build) includes each by its absolute path, so __FILE__ (in
# every GoogleTest assertion) would name the clone's folder and make the batch differ from
# one clone to the next: it names the file relative to the source tree instead.
option(LGCSET_CCACHE "Compile through ccache when it is installed" ON)
find_program(LGCSET_CCACHE_PROGRAM ccache)
if(LGCSET_CCACHE AND LGCSET_CCACHE_PROGRAM)
  add_compile_options(-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=)
  foreach(lang C CXX)
    if(NOT DEFINED CMAKE_${lang}_COMPILER_LAUNCHER)
      set(CMAKE_${lang}_COMPILER_LAUNCHER
        ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR} CCACHE_NOHASHDIR=1
        ${LGCSET_CCACHE_PROGRAM})
    endif()
  endforeach()
endif()
