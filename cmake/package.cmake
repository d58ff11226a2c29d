# Desktop integration files and the Debian package (make package).
#
# Every installed file has exactly one install rule here or beside its target:
# the programs (top CMakeLists.txt, cli/), the program folder and the icons
# (cmake/gui_targets.cmake), and below: the udev rule, the desktop entries, the
# AppStream data, the manual pages, the shell completion and the package's own
# documents.

set(ZARVEL_PACKAGE_ID "org.zarvel.Zarvel")
set(ZARVEL_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(ZARVEL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

# Lets the logged-in user reach the keyboard without root (see README).
install(FILES ${CMAKE_SOURCE_DIR}/assets/udev/70-zarvel.rules DESTINATION lib/udev/rules.d)

if(TARGET zarvel)
  install(FILES ${CMAKE_SOURCE_DIR}/assets/zarvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # /etc belongs to the system, not to the prefix, when the prefix is /usr (the
  # package, or `cmake --install --prefix /usr`); elsewhere it stays under the
  # prefix, so a user's own install never writes outside it. Decided when the
  # install runs, since the prefix may be given only then.
  install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
      set(zarvel_autostart_dir /etc/xdg/autostart)
    else()
      set(zarvel_autostart_dir \"\${CMAKE_INSTALL_PREFIX}/etc/xdg/autostart\")
    endif()
    file(INSTALL DESTINATION \"\${zarvel_autostart_dir}\" TYPE FILE RENAME zarvel.desktop
         FILES \"${CMAKE_SOURCE_DIR}/assets/zarvel-autostart.desktop\")")
  configure_file(${ZARVEL_PACKAGING_DIR}/appstream/${ZARVEL_PACKAGE_ID}.metainfo.xml.in
                 ${ZARVEL_GENERATED_DIR}/${ZARVEL_PACKAGE_ID}.metainfo.xml @ONLY)
  install(FILES ${ZARVEL_GENERATED_DIR}/${ZARVEL_PACKAGE_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# Manual pages: the version filled in, compressed without a time stamp so the
# package is the same bytes whenever it is built.
find_program(ZARVEL_GZIP gzip REQUIRED)
set(ZARVEL_MAN_PAGES)
foreach(page zarvel zarvelctl)
  configure_file(${ZARVEL_PACKAGING_DIR}/man/${page}.1 ${ZARVEL_GENERATED_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${ZARVEL_GENERATED_DIR}/man/${page}.1.gz
    COMMAND ${ZARVEL_GZIP} -9nkf ${ZARVEL_GENERATED_DIR}/man/${page}.1
    DEPENDS ${ZARVEL_GENERATED_DIR}/man/${page}.1
    COMMENT "Compressing the manual page ${page}(1)")
  list(APPEND ZARVEL_MAN_PAGES ${ZARVEL_GENERATED_DIR}/man/${page}.1.gz)
endforeach()
add_custom_command(OUTPUT ${ZARVEL_GENERATED_DIR}/changelog.gz
  COMMAND ${ZARVEL_GZIP} -9nc ${ZARVEL_PACKAGING_DIR}/debian/changelog > ${ZARVEL_GENERATED_DIR}/changelog.gz
  DEPENDS ${ZARVEL_PACKAGING_DIR}/debian/changelog
  COMMENT "Compressing the package's changelog")
add_custom_target(zarvel_docs ALL DEPENDS ${ZARVEL_MAN_PAGES} ${ZARVEL_GENERATED_DIR}/changelog.gz)
if(NOT TARGET zarvel)
  list(FILTER ZARVEL_MAN_PAGES EXCLUDE REGEX "/zarvel\\.1\\.gz$")
endif()
install(FILES ${ZARVEL_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ZARVEL_PACKAGING_DIR}/completion/zarvelctl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${ZARVEL_PACKAGING_DIR}/debian/copyright ${ZARVEL_GENERATED_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package: build/zarvel_VERSION_ARCH.deb.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "zarvel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zarvel developers")
set(CPACK_PACKAGE_CONTACT "The Zarvel developers <developers@zarvel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration utility for the Varnok Z7Q3RGB keyboard")
# The synopsis is the summary above; CPack indents these lines and turns the
# empty one into the control file's paragraph mark.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zarvel sets up the Varnok Z7Q3RGB USB mechanical keyboard with per-key RGB
lighting: what each key does in each of its four on-board profiles, recorded
macros, each profile's lighting effect and the colour of each key, and profile
files to keep and exchange them. Everything is written into the keyboard.

The zarvel program lives in the notification area and follows the keyboard
being plugged in or out; the zarvelctl command does the same from scripts.
A udev rule lets the user at the seat reach the keyboard without root.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://zarvel.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_INSTALL_PREFIX "/usr")
# The autostart entry goes to /etc, outside the prefix: install into a staging
# root so it lands in the package and not on the building machine.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${ZARVEL_PACKAGING_DIR}/debian/postinst
  ${ZARVEL_PACKAGING_DIR}/debian/postrm
  ${ZARVEL_PACKAGING_DIR}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
