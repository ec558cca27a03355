# Installing Kiv Logs and its Debian package (cpack -G DEB): the two programs
# in bin/, the desktop entry, the icon, the AppStream metainfo, the manual
# pages and the school's default lists in share/kivlogs/, where the window
# finds them to fill a user's configuration folder on first start.

include(GNUInstallDirs)

set(KIV_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
# The address that the school's IT staff answer at; the placeholder's domain is
# reserved for examples, the only kind that Debian's checks accept unseen.
set(KIV_PACKAGE_MAINTAINER "Kiv Logs developers <dev@kivlogs.example>"
    CACHE STRING "Maintainer of the Debian package: Name <address>")
configure_file(${KIV_PACKAGING_DIR}/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog @ONLY)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS kivlogs-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kivlogs)
  install(TARGETS kivlogs RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The rest is the layout of a freedesktop.org system and its Debian package.
if(NOT UNIX OR APPLE)
  return()
endif()

install(FILES ${PROJECT_SOURCE_DIR}/examples/kiv.ini
              ${PROJECT_SOURCE_DIR}/examples/kiv_salles.txt
              ${PROJECT_SOURCE_DIR}/examples/kiv_heures.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kivlogs)

install(FILES ${KIV_PACKAGING_DIR}/kivlogs.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KIV_PACKAGING_DIR}/local.kivlogs.kivlogs.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KIV_PACKAGING_DIR}/icons/kivlogs.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${KIV_PACKAGING_DIR}/icons/hicolor/${size}x${size}/apps/kivlogs.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages and the changelog are shipped compressed, without a time stamp
# in the gzip header, so that two builds give the same package.
set(KIV_COMPRESSED_DOCS "")
foreach(doc ${KIV_PACKAGING_DIR}/man/kivlogs.1 ${KIV_PACKAGING_DIR}/man/kivlogs-cli.1
           ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog)
  get_filename_component(name ${doc} NAME)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${out}
                     COMMAND gzip -9n -c ${doc} > ${out}
                     DEPENDS ${doc} VERBATIM)
  list(APPEND KIV_COMPRESSED_DOCS ${out})
endforeach()
add_custom_target(kivlogs-docs ALL DEPENDS ${KIV_COMPRESSED_DOCS})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/kivlogs-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET kivlogs)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/kivlogs.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${KIV_PACKAGING_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kivlogs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kivlogs)
set(CPACK_PACKAGE_VENDOR "Kiv Logs developers")
set(CPACK_PACKAGE_CONTACT "${KIV_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "search a school server's logs and show the occupation of its rooms")
set(CPACK_PACKAGE_DESCRIPTION
    "Kiv Logs reads the plain-text logs that a school's network server writes into
one shared folder. It lists the log lines of a day, a month or of all logs
that contain one of a list of watched words, rewritten into readable lines,
and it shows which computers of which rooms were used on a day, by whom and
in which teaching hour, as text and as a printable table of time slots.
The window (kivlogs) is in French; kivlogs-cli runs the same searches from
a terminal or a scheduled job.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's fonts (Tahoma's metrics, Arial's) and Qt's own French texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, fonts-liberation, qt6-translations-l10n")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
