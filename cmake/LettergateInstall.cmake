# What `cmake --install` puts beside the program (src/CMakeLists.txt installs it to
# bin/), and the Debian package CPack makes of it (scripts/package builds it).

# Installing (and packaging) copies what is built instead of first building every test
# and benchmark: build the lettergate target before.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

install(FILES ${LETTERGATE_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/src/app/resources/lettergate.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${LETTERGATE_APP_ID}.svg)
# The system-wide autostart entry: part of a plain install only with
# LETTERGATE_INSTALL_AUTOSTART, otherwise on request (cmake --install --component
# autostart). With the prefix /usr it goes to /etc, where sessions look for it.
if(CMAKE_INSTALL_FULL_SYSCONFDIR STREQUAL "/etc")
  set(autostart_destination /etc/xdg/autostart)
else()
  set(autostart_destination ${CMAKE_INSTALL_SYSCONFDIR}/xdg/autostart)
endif()
if(LETTERGATE_INSTALL_AUTOSTART)
  set(autostart_optional "")
else()
  set(autostart_optional EXCLUDE_FROM_ALL)
endif()
install(FILES ${LETTERGATE_DESKTOP_FILE} DESTINATION ${autostart_destination} COMPONENT autostart
        ${autostart_optional})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lettergate)
set(CPACK_PACKAGE_VENDOR "Lettergate")
set(CPACK_PACKAGE_CONTACT "Lettergate developers <developers@lettergate.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard-driven window switcher with clipboard history and snippets")
set(CPACK_PACKAGE_DESCRIPTION
    "One global trigger opens a floating panel that marks every application with a letter; typing it brings that application's window to the front. List keys lead to the clipboard history, snippets, quick links and shell commands.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://lettergate.app")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
# The libraries the program links come from dpkg-shlibdeps; these are loaded at run
# time instead: the panel's symbols from the icon theme, the SVG icon engine (the
# Qt SVG plugins ship in libqt6svg6).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adwaita-icon-theme, libqt6svg6")
# Image snippets imported from TIFF, WebP and the other formats beyond Qt's own.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins")
include(CPack)
