# The sanitizers apply to every target of the build tree, tests and tools included,
# so that a fault crossing a library boundary is still caught.
if(LGCSET_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(LGCSET_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(LGCSET_SANITIZE STREQUAL "fuzz")
  # libFuzzer's coverage hooks everywhere, its driver only in the fuzz targets
  # (tests/fuzz), which link with -fsanitize=fuzzer. Needs clang.
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "LGCSET_SANITIZE=fuzz needs clang (the fuzz preset sets it)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(NOT LGCSET_SANITIZE STREQUAL "")
  message(FATAL_ERROR "LGCSET_SANITIZE must be empty, 'address', 'thread' or 'fuzz'")
endif()
