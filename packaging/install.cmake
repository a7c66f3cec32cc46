# What is installed, by `make install`, `cmake --install` and the Debian package alike: the
# programs, their manual pages, the settings XScreenSaver shows and a link where it looks for
# its savers, the entry MATE's screen saver lists, and the licence. The Makefile's uninstall
# removes exactly these.
include(GNUInstallDirs)

set(FLAKEMORPH_DOC_DIR share/doc/flakemorph)
set(FLAKEMORPH_GENERATED ${PROJECT_BINARY_DIR}/packaging)

# Manual pages and the changelog are installed compressed, as Debian's tools read them.
function(flakemorph_gzip source target)
  add_custom_command(OUTPUT ${target}
    COMMAND gzip -9nc ${source} > ${target}
    DEPENDS ${source}
    VERBATIM)
endfunction()

# The version is written once, in project(); the manual pages' headers take it from there.
set(installed_manuals)
foreach(page flakemorph.6 flakemorph-trace.1)
  configure_file(${PROJECT_SOURCE_DIR}/man/${page}.in ${FLAKEMORPH_GENERATED}/${page} @ONLY)
  flakemorph_gzip(${FLAKEMORPH_GENERATED}/${page} ${FLAKEMORPH_GENERATED}/${page}.gz)
  list(APPEND installed_manuals ${FLAKEMORPH_GENERATED}/${page}.gz)
endforeach()

# The copyright file in Debian's machine-readable form, with the licence's text from LICENSE
# (its title and copyright line are the header's fields).
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence_lines)
list(SUBLIST licence_lines 4 -1 licence_lines)
set(FLAKEMORPH_LICENCE_TEXT "")
foreach(line IN LISTS licence_lines)
  if(line STREQUAL "")
    set(line ".")
  endif()
  string(APPEND FLAKEMORPH_LICENCE_TEXT " ${line}\n")
endforeach()
string(REGEX REPLACE "\n$" "" FLAKEMORPH_LICENCE_TEXT "${FLAKEMORPH_LICENCE_TEXT}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${FLAKEMORPH_GENERATED}/copyright
               @ONLY)

# SOURCE_DATE_EPOCH, when set, fixes this date so that a package can be built again bit for bit.
string(TIMESTAMP FLAKEMORPH_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${FLAKEMORPH_GENERATED}/changelog
               @ONLY)
flakemorph_gzip(${FLAKEMORPH_GENERATED}/changelog ${FLAKEMORPH_GENERATED}/changelog.gz)

add_custom_target(flakemorph-docs ALL
  DEPENDS ${installed_manuals} ${FLAKEMORPH_GENERATED}/changelog.gz)

if(FLAKEMORPH_WINDOW)
  install(TARGETS flakemorph RUNTIME DESTINATION bin)
  install(FILES ${FLAKEMORPH_GENERATED}/flakemorph.6.gz DESTINATION share/man/man6)
  install(FILES ${PROJECT_SOURCE_DIR}/xscreensaver/flakemorph.xml
          DESTINATION share/xscreensaver/config)
  install(FILES ${PROJECT_SOURCE_DIR}/mate/flakemorph.desktop
          DESTINATION share/applications/screensavers)
  install(CODE [[
    set(saver_dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/libexec/xscreensaver")
    file(MAKE_DIRECTORY "${saver_dir}")
    message(STATUS "Installing: ${saver_dir}/flakemorph -> ../../bin/flakemorph")
    file(CREATE_LINK ../../bin/flakemorph "${saver_dir}/flakemorph" SYMBOLIC)
  ]])
endif()
if(TARGET flakemorph-trace)
  install(TARGETS flakemorph-trace RUNTIME DESTINATION bin)
  install(FILES ${FLAKEMORPH_GENERATED}/flakemorph-trace.1.gz DESTINATION share/man/man1)
endif()
install(FILES ${FLAKEMORPH_GENERATED}/copyright ${FLAKEMORPH_GENERATED}/changelog.gz
        DESTINATION ${FLAKEMORPH_DOC_DIR})

# XScreenSaver's settings program reads the settings of its savers from one fixed folder, and
# MATE's screen saver runs only savers in a few fixed folders, /usr/libexec/xscreensaver among
# them.
if(FLAKEMORPH_WINDOW)
  install(CODE [[
    if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
      message(NOTICE "Note: XScreenSaver reads settings only from /usr/share/xscreensaver/config "
        "(and MATE runs savers only from /usr/libexec/xscreensaver): sudo ln -s "
        "${CMAKE_INSTALL_PREFIX}/share/xscreensaver/config/flakemorph.xml "
        "/usr/share/xscreensaver/config/ && sudo ln -s ${CMAKE_INSTALL_PREFIX}/bin/flakemorph "
        "/usr/libexec/xscreensaver/ (or install the package, or use PREFIX=/usr)")
    endif()
  ]])
endif()

# `make deb`: a Debian package of the same files under /usr. Its dependencies are read from
# the programs' libraries by dpkg-shlibdeps; the daemons that can run it are only suggested,
# since it also runs as a window of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME flakemorph)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "the flakemorph authors <maintainers@users.noreply.c-seed-c4ebb31f.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, mate-screensaver, xsecurelock, swayidle")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "flake of coloured circles that bursts and gathers anew, as a screen saver
A symmetric flake of 360 coloured circle outlines spins, swells in lobes and
wanders about the screen; every few seconds it bursts onto a shell and gathers
into a new random flake. It runs over every monitor, in a window of its own, or
as a saver of XScreenSaver, MATE's screen saver or xsecurelock. The package
also holds flakemorph-trace, which runs the animation without a window and
writes logs and pictures.")
include(CPack)
