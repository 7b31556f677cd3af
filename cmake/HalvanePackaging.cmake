# Installation beyond the executables (each tool's folder installs its own),
# the demo edition, and the Debian package made by CPack.
#
# The package "halvane" holds the program and the command-line tools with
# the desktop entry, the icons and the documentation. The simulated web and
# the demo edition are development aids and stay out of it: the demo has no
# install rules, and halvane-sim (which its folder installs for developers'
# "cmake --install") is taken out of CPack's staging tree before packaging.

# Debian keeps a package's documents under its package name.
if(CMAKE_INSTALL_DOCDIR STREQUAL "${CMAKE_INSTALL_DATAROOTDIR}/doc/${PROJECT_NAME}")
  set(CMAKE_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/halvane")
endif()

set(HALVANE_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR}/../packaging)
cmake_path(NORMAL_PATH HALVANE_PACKAGING_DIR)
set(HALVANE_ICON_SOURCE ${HALVANE_PACKAGING_DIR}/halvane.mvg)

install(FILES ${CMAKE_SOURCE_DIR}/README.md ${HALVANE_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ImageMagick draws the icons and the demo edition's pictures; without it
# they are left out and everything else builds.
if(HALVANE_GUI)
  find_program(HALVANE_CONVERT NAMES convert convert-im6.q16
               DOC "ImageMagick's convert, which draws the icons and the demo's banners")
  if(NOT HALVANE_CONVERT)
    message(WARNING "ImageMagick's convert was not found: the icons and the demo edition's banners and "
                    "icon are not drawn. Install it with scripts/deps (Debian package imagemagick), "
                    "or point HALVANE_CONVERT at it.")
  endif()
endif()

if(TARGET halvane AND HALVANE_CONVERT)
  # Every size is drawn from the vector source, so small icons stay sharp.
  set(icon_files "")
  foreach(size 16 32 48 64 128 256)
    set(icon ${CMAKE_BINARY_DIR}/icons/${size}x${size}/halvane.png)
    add_custom_command(
      OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${HALVANE_CONVERT} -background none mvg:${HALVANE_ICON_SOURCE}
              -resize ${size}x${size} PNG32:${icon}
      DEPENDS ${HALVANE_ICON_SOURCE}
      COMMENT "Drawing the ${size}x${size} icon"
      VERBATIM)
    list(APPEND icon_files ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(halvane_icons ALL DEPENDS ${icon_files})
  install(FILES ${HALVANE_PACKAGING_DIR}/halvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

# Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME halvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Halvane developers")
set(CPACK_PACKAGE_CONTACT "Halvane developers <developers@halvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "finds blogs that welcome comments linking to your site")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Halvane searches the web for WordPress blogs about a keyword that take\n"
    "comments without nofollow links, and lists for each page its PageRank,\n"
    "its home page's PageRank, whether it already links to your domain and\n"
    "with which anchor text, and its traffic ranking. The list sorts by any\n"
    "column and exports to CSV.\n"
    ".\n"
    "The package also carries the command-line tools halvane-fetch,\n"
    "halvane-brand (branded editions' settings files) and halvane-script.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Libraries come from dpkg-shlibdeps; Qt's plugins are loaded at run time,
# so the packages holding the platform and picture-format plugins are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins")
set(CPACK_PRE_BUILD_SCRIPTS ${HALVANE_PACKAGING_DIR}/package-content.cmake)
set(CPACK_HALVANE_EXCLUDED_PROGRAMS "halvane-sim;halvane-demo")
include(CPack)
