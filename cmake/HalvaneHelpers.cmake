# halvane_add_gtest(NAME SOURCES ... LIBS ...)
# One GoogleTest executable; its cases are discovered when ctest runs.
function(halvane_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock halvane_options)
  target_compile_definitions(${name} PRIVATE
    HALVANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "HALVANE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
endfunction()

# halvane_add_fuzzer(NAME SOURCES ... LIBS ...)
# A libFuzzer harness, built only with HALVANE_FUZZ; all of them land in
# <build>/fuzz and are grouped under the target halvane_fuzzers.
function(halvane_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT HALVANE_FUZZ)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS} halvane_options)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set_property(GLOBAL APPEND PROPERTY HALVANE_FUZZERS ${name})
endfunction()

function(halvane_finish_fuzzers)
  get_property(fuzzers GLOBAL PROPERTY HALVANE_FUZZERS)
  add_custom_target(halvane_fuzzers)
  if(fuzzers)
    add_dependencies(halvane_fuzzers ${fuzzers})
  endif()
endfunction()

# Adds every immediate subdirectory of the current source folder that holds
# a CMakeLists.txt, so each area keeps its own list.
function(halvane_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
