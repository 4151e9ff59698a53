# One interface target carries the warnings and, when asked for, the sanitizers; every library,
# executable and test links it, so no target can be built with weaker settings by accident.
add_library(talvex_build_options INTERFACE)
# -Wshadow catches a local that hides a member or an outer name; -Wconversion catches an implicit
# conversion that can change a value (a size into an int, a 64-bit count into 32 bits), so every
# narrowing in the code is either avoided by the right type or written out and explained.
target_compile_options(talvex_build_options INTERFACE -Wall -Wextra -Wshadow -Wconversion -Werror)
# GCC 12 at -O3 reports overlapping copies inside std::string concatenation that cannot happen
# (a known false positive of its -Wrestrict, fixed in GCC 13); it would fail every release build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(talvex_build_options INTERFACE -Wno-restrict)
endif()

# A Windows program carries the compiler's own runtime (libstdc++, libgcc, winpthread) inside it;
# only libmariadb.dll goes beside it.
if(WIN32)
  target_link_options(talvex_build_options INTERFACE -static)
endif()

option(TALVEX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(TALVEX_SANITIZE)
  target_compile_options(talvex_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(talvex_build_options INTERFACE -fsanitize=address,undefined)
  # The standard library's own checks (an index past a vector's end, front() of an empty string)
  # turn a quiet out-of-bounds read into an abort with the failed precondition.
  target_compile_definitions(talvex_build_options INTERFACE _GLIBCXX_ASSERTIONS)
endif()

# libFuzzer targets (fuzz/), built on their own with clang: every library is instrumented for the
# fuzzer's coverage and checked by AddressSanitizer and UndefinedBehaviorSanitizer, so that a
# fault the fuzzer reaches is a crash it keeps.
option(TALVEX_FUZZ "Build only the libFuzzer targets of fuzz/ (needs clang)" OFF)
if(TALVEX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TALVEX_FUZZ needs clang and its libFuzzer: -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  if(TALVEX_SANITIZE)
    message(FATAL_ERROR "TALVEX_FUZZ brings its own sanitizers; leave TALVEX_SANITIZE off")
  endif()
  target_compile_options(talvex_build_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  target_link_options(talvex_build_options INTERFACE -fsanitize=address,undefined)
  target_compile_definitions(talvex_build_options INTERFACE _GLIBCXX_ASSERTIONS)
endif()
