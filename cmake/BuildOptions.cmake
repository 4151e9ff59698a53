# One interface target carries the warnings and, when asked for, the sanitizers; every library,
# executable and test links it, so no target can be built with weaker settings by accident.
add_library(talvex_build_options INTERFACE)
target_compile_options(talvex_build_options INTERFACE -Wall -Wextra -Werror)

option(TALVEX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(TALVEX_SANITIZE)
  target_compile_options(talvex_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(talvex_build_options INTERFACE -fsanitize=address,undefined)
endif()
