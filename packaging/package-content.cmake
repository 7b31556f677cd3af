# Run by CPack on its staging tree before it builds a package: takes out the
# development programs that their folders install for "cmake --install".
if(NOT CPACK_TEMPORARY_INSTALL_DIRECTORY)
  message(FATAL_ERROR "package-content.cmake runs from CPack only")
endif()
foreach(program IN LISTS CPACK_HALVANE_EXCLUDED_PROGRAMS)
  file(GLOB_RECURSE found LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/${program}")
  foreach(file IN LISTS found)
    message(STATUS "Leaving ${program} out of the package")
    file(REMOVE "${file}")
  endforeach()
endforeach()
