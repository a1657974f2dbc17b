# SPDX-License-Identifier: MIT
# The Debian package, built with CPack from a tree configured for it:
#
#   cmake --workflow --preset package      # configure, build, cpack -G DEB
#
# The "package" preset installs under /usr with the program in /usr/games, as
# Debian does for games; cpack refuses to make a .deb from any other layout.

set(KERUBADO_PACKAGE_MAINTAINER "Kerubado maintainers <maintainers@users.noreply.c-seed-fc69e7e8.example>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kerubado)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KERUBADO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small keyboard-driven arcade shooter")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Whatever the umask of whoever builds the package.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KERUBADO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KERUBADO_HOMEPAGE}") # data/CMakeLists.txt
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The synopsis is the summary above; this is the extended description, as
# `apt show` prints it (an empty line starts a new paragraph).
set(CPACK_PACKAGE_DESCRIPTION "Kerubado (ケルバド) is a vertical shooter for one player in a single
fixed window, with its texts in Japanese and English.

Your craft, a black disc, moves in the lower part of a 300 x 400 field
and fires upward while Shift is held. Red enemies drift in from the top
and the sides and fire back. Each one you destroy scores 10 points, and
the game ends the moment any shot touches you.

The arrow keys move, Shift fires and Enter starts a new game.")

# Libraries the program links come from dpkg-shlibdeps; among them
# libqt6gui6, which also ships the xcb platform plugin that Qt loads at run
# time (qt6-qpa-plugins holds only others: vnc, linuxfb, eglfs...). What it
# cannot see: the title and result lines are Japanese. The window looks for
# these faces in this order and shows boxes without any of them, so one of
# them is a dependency, not a recommendation.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-vlgothic | fonts-noto-cjk")
# In a Wayland session without X the game runs natively through Qt's Wayland
# plugin; without it, it can only say that it cannot open a display.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

# No source packages from here: the build trees live inside the source tree.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build/" "/\\\\.cache/")

# Checked by cpack itself, whatever tree it is run in: the menu entry's Exec
# line was fixed when the tree was configured, and a sanitizer build is no
# program to hand out.
set(CPACK_KERUBADO_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_KERUBADO_INSTALL_BINDIR "${CMAKE_INSTALL_BINDIR}")
set(CPACK_KERUBADO_SANITIZE "${KERUBADO_SANITIZE}")
# The changelog's latest entry names the version being packaged.
set(changelog ${PROJECT_SOURCE_DIR}/data/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} CPACK_KERUBADO_CHANGELOG_HEAD LIMIT_COUNT 1)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/KerubadoCPackChecks.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE} [[
if(CPACK_GENERATOR STREQUAL "DEB")
  if(NOT CPACK_KERUBADO_INSTALL_PREFIX STREQUAL CPACK_PACKAGING_INSTALL_PREFIX
     OR NOT CPACK_KERUBADO_INSTALL_BINDIR STREQUAL "games")
    message(FATAL_ERROR "This tree installs the program in "
      "${CPACK_KERUBADO_INSTALL_PREFIX}/${CPACK_KERUBADO_INSTALL_BINDIR}; a Debian package "
      "wants ${CPACK_PACKAGING_INSTALL_PREFIX}/games. Use `cmake --workflow --preset package`.")
  endif()
  set(version "${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
  if(NOT CPACK_KERUBADO_CHANGELOG_HEAD MATCHES "^${CPACK_PACKAGE_NAME} \\(${version}\\) ")
    message(FATAL_ERROR "data/changelog begins \"${CPACK_KERUBADO_CHANGELOG_HEAD}\"; "
      "the package is ${version}: add an entry for it.")
  endif()
  if(CPACK_KERUBADO_SANITIZE)
    message(FATAL_ERROR "This tree is built with the sanitizers; use `cmake --workflow --preset package`.")
  endif()
endif()
]])

include(CPack)
