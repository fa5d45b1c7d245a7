# Target helpers. Every source folder is one static library named after its path with '_'
# (framework/core -> framework_core); every tests/ folder is one GoogleTest executable.

# The target name of the folder that calls this: its path below the source root, '/' -> '_'.
function(tessera_folder_name out_var dir)
  file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}" "${dir}")
  string(REPLACE "/" "_" name "${rel}")
  set(${out_var} "${name}" PARENT_SCOPE)
endfunction()

# tessera_add_folders(folder ...): adds each folder below the current one; a listed folder
# without a CMakeLists.txt stops the configuration, so a typo cannot drop a module unnoticed.
function(tessera_add_folders)
  foreach(folder IN LISTS ARGN)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
      message(FATAL_ERROR "listed folder ${CMAKE_CURRENT_SOURCE_DIR}/${folder} has no CMakeLists.txt")
    endif()
    add_subdirectory(${folder})
  endforeach()
endfunction()

# tessera_library([NAME name] [SOURCES ...] [DEPS ...] [PUBLIC_DEPS ...])
# Without SOURCES, every .cpp/.c file of the folder (not of its subfolders) is compiled.
# The source root is the include root: headers are included as "foundation/DString.h".
function(tessera_library)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPS;PUBLIC_DEPS" ${ARGN})
  if(ARG_NAME)
    set(name ${ARG_NAME})
  else()
    tessera_folder_name(name "${CMAKE_CURRENT_SOURCE_DIR}")
  endif()
  if(NOT ARG_SOURCES)
    file(GLOB ARG_SOURCES CONFIGURE_DEPENDS
      "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.c")
  endif()
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} ${ARG_DEPS})
  else()
    # A folder of headers only, so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${name} INTERFACE ${ARG_PUBLIC_DEPS} ${ARG_DEPS})
  endif()
endfunction()

# tessera_test([NAME name] [SOURCES ...] DEPS ... [LABELS ...] [ENV VAR=value ...])
# Builds test_<folder> from the folder's .cpp files and registers each test with ctest.
# The label "threaded" marks suites that scripts/test --tsan runs under ThreadSanitizer.
function(tessera_test)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPS;LABELS;ENV" ${ARGN})
  if(ARG_NAME)
    set(name ${ARG_NAME})
  else()
    file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}/tests" "${CMAKE_CURRENT_SOURCE_DIR}")
    string(REPLACE "/" "_" rel "${rel}")
    set(name test_${rel})
  endif()
  if(NOT ARG_SOURCES)
    file(GLOB ARG_SOURCES CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
    list(FILTER ARG_SOURCES EXCLUDE REGEX "/fuzz_[^/]*\\.cpp$")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} test_support GTest::gtest GTest::gmock
    GTest::gtest_main Threads::Threads)
  # The environment reaches both test discovery and every test run through the target's
  # launcher (a plain ENVIRONMENT property would be split apart by gtest_discover_tests).
  set(launcher ${CMAKE_COMMAND} -E env TESSERA_HEADLESS=1
    TESSERA_SHARED_DIR=${TESSERA_SHARED_DIR} ${ARG_ENV})
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher}")
  set(properties TIMEOUT 600)
  if(ARG_LABELS)
    list(APPEND properties LABELS ${ARG_LABELS})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES ${properties})
endfunction()

# tessera_fuzz(NAME name SOURCE file DEPS ...)
# A fuzz target defines LLVMFuzzerTestOneInput. Its saved corpus is corpus/<name>/ beside the
# source. With TESSERA_FUZZ it links against libFuzzer (fuzz_<name>) and is part of fuzz_all;
# otherwise it links the replay driver and ctest runs every corpus file through it
# (fuzz_<name>_corpus).
function(tessera_fuzz)
  cmake_parse_arguments(ARG "" "NAME;SOURCE" "DEPS" ${ARGN})
  set(target fuzz_${ARG_NAME})
  add_executable(${target} ${ARG_SOURCE})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS})
  set(corpus "${CMAKE_CURRENT_SOURCE_DIR}/corpus/${ARG_NAME}")
  if(TESSERA_FUZZ)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    if(NOT TARGET fuzz_all)
      add_custom_target(fuzz_all)
    endif()
    add_dependencies(fuzz_all ${target})
  else()
    target_link_libraries(${target} PRIVATE fuzz_replay)
    add_test(NAME ${target}_corpus COMMAND ${target} "${corpus}")
    set_tests_properties(${target}_corpus PROPERTIES
      ENVIRONMENT "TESSERA_HEADLESS=1;TESSERA_SHARED_DIR=${TESSERA_SHARED_DIR}" LABELS fuzz)
  endif()
endfunction()

# tessera_bench(NAME name SOURCES ... DEPS ...): bench_<name>, run by scripts/bench.
function(tessera_bench)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPS" ${ARGN})
  add_executable(bench_${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(bench_${ARG_NAME} PRIVATE ${ARG_DEPS} benchmark::benchmark
    benchmark::benchmark_main Threads::Threads)
endfunction()

# tessera_compile_scripts(TARGET name SOURCE_DIR dir OUT_DIR dir): every .nut below the source
# folder (subfolders kept) becomes a .cnut below the output folder, compiled by our own sqc;
# the custom target builds them all.
function(tessera_compile_scripts)
  cmake_parse_arguments(ARG "" "TARGET;SOURCE_DIR;OUT_DIR" "" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${ARG_SOURCE_DIR}/*.nut")
  set(compiled "")
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH rel "${ARG_SOURCE_DIR}" "${source}")
    string(REGEX REPLACE "\\.nut$" ".cnut" rel "${rel}")
    get_filename_component(out_dir "${ARG_OUT_DIR}/${rel}" DIRECTORY)
    add_custom_command(OUTPUT "${ARG_OUT_DIR}/${rel}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${out_dir}"
      COMMAND sqc compile "${source}" "${ARG_OUT_DIR}/${rel}"
      DEPENDS sqc "${source}" VERBATIM)
    list(APPEND compiled "${ARG_OUT_DIR}/${rel}")
  endforeach()
  add_custom_target(${ARG_TARGET} DEPENDS ${compiled})
endfunction()
