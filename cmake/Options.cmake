# Build options shared by every target: warnings, exact floating point, sanitizers, fuzzing.
option(TESSERA_BENCH "Build the benchmarks" OFF)
option(TESSERA_FUZZ "Build fuzz targets with libFuzzer (clang only)" OFF)
# ccache serves repeated builds, also across clones (the scripts set CCACHE_BASEDIR).
find_program(TESSERA_CCACHE ccache)
if(TESSERA_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${TESSERA_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${TESSERA_CCACHE})
endif()

set(TESSERA_SANITIZE "" CACHE STRING "Sanitizers: empty, 'address;undefined' or 'thread'")

add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  add_compile_options(-msse2)
endif()

if(TESSERA_SANITIZE)
  list(JOIN TESSERA_SANITIZE "," sanitizers)
  add_compile_options(-fsanitize=${sanitizers} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${sanitizers})
  if("undefined" IN_LIST TESSERA_SANITIZE)
    add_compile_options(-fno-sanitize-recover=all)
  endif()
endif()

if(TESSERA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TESSERA_FUZZ needs clang (scripts/fuzz sets it up)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Where the shared reference data lives: beside the checkout, unless given with
# -DTESSERA_SHARED_DIR or the environment variable of that name (a checkout elsewhere, such as a
# git worktree, must give it); tests read fixtures from it.
if(DEFINED ENV{TESSERA_SHARED_DIR})
  set(default_shared_dir "$ENV{TESSERA_SHARED_DIR}")
else()
  get_filename_component(default_shared_dir "${CMAKE_SOURCE_DIR}/../shared" ABSOLUTE)
endif()
set(TESSERA_SHARED_DIR "${default_shared_dir}" CACHE PATH "Shared reference data folder")
