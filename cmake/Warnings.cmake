# Our own targets build with every common warning turned into an error.
# Third-party headers (Qt, GoogleTest) come in as system includes and stay quiet.
function(lgcset_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
    -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual)
endfunction()
