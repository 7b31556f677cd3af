# halvane_add_gtest(NAME SOURCES ... LIBS ...)
# One GoogleTest executable; its cases are discovered when ctest runs.
function(halvane_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock halvane_options)
  # Includes are written with their folder from the source root ("tests/support/TSimProcess.h").
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
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

# Fails the configure when a tests/**/*Test.cpp belongs to no target: a test
# file nobody compiles can never fail. Folders that define no target at all
# (their library is switched off, e.g. the Qt tests with HALVANE_GUI=OFF) are
# not looked at.
function(halvane_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(children DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(child ${children})
    halvane_collect_targets(${child} childTargets)
    list(APPEND targets ${childTargets})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(halvane_check_test_sources testsDir)
  halvane_collect_targets(${testsDir} targets)
  set(owned)
  set(activeDirs)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "UTILITY")
      continue()
    endif()
    get_target_property(sourceDir ${target} SOURCE_DIR)
    list(APPEND activeDirs ${sourceDir})
    get_target_property(sources ${target} SOURCES)
    foreach(source ${sources})
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${sourceDir} NORMALIZE OUTPUT_VARIABLE path)
      list(APPEND owned ${path})
    endforeach()
  endforeach()
  file(GLOB_RECURSE testFiles ${testsDir}/*Test.cpp)
  set(orphans)
  foreach(file ${testFiles})
    cmake_path(GET file PARENT_PATH dir)
    if(NOT dir IN_LIST activeDirs)
      continue()
    endif()
    if(NOT file IN_LIST owned)
      list(APPEND orphans ${file})
    endif()
  endforeach()
  if(orphans)
    list(JOIN orphans "\n  " shown)
    message(FATAL_ERROR "These test files belong to no test target, so they can never fail:\n  ${shown}")
  endif()
endfunction()

# halvane_add_qtest_classes(TARGET PREFIX TIMEOUT)
# One ctest entry per QtTest class of a Qt test executable: each *Test.cpp
# among its sources holds the class of that name, run alone through
# HALVANE_TEST_CLASSES, so a failure or a hang names its class.
function(halvane_add_qtest_classes target prefix timeout)
  get_target_property(sources ${target} SOURCES)
  foreach(source ${sources})
    get_filename_component(class ${source} NAME_WE)
    if(NOT class MATCHES "Test$")
      continue()
    endif()
    add_test(NAME ${prefix}.${class} COMMAND ${target})
    set_tests_properties(${prefix}.${class} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HALVANE_TEST_CLASSES=${class}" TIMEOUT ${timeout})
  endforeach()
endfunction()
