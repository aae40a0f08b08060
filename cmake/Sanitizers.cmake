# The sanitizers apply to every target of the build tree, tests and tools included,
# so that a fault crossing a library boundary is still caught.
if(LGCSET_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(LGCSET_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT LGCSET_SANITIZE STREQUAL "")
  message(FATAL_ERROR "LGCSET_SANITIZE must be empty, 'address' or 'thread'")
endif()
