# One interface target carries the language standard, the warnings and the
# sanitizer switches; every target of the project links it.
add_library(halvane_options INTERFACE)
# ccache, when installed, fronts the compiler: a second build of unchanged
# sources (another build tree, a fresh clone) is served from its cache.
find_program(HALVANE_CCACHE ccache)
if(HALVANE_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_C_COMPILER_LAUNCHER ${HALVANE_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${HALVANE_CCACHE})
endif()
target_compile_features(halvane_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(halvane_options INTERFACE -Wall -Wextra)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 reports impossible overlaps inside std::string concatenation at -O2
  # and above (its bug 105651); the warning carries no information there.
  target_compile_options(halvane_options INTERFACE -Wno-restrict)
endif()
if(HALVANE_WERROR)
  target_compile_options(halvane_options INTERFACE -Werror)
endif()
if(HALVANE_SANITIZE)
  target_compile_options(halvane_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(halvane_options INTERFACE -fsanitize=address,undefined)
endif()
if(HALVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "HALVANE_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  target_compile_options(halvane_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
