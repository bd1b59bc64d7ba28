# What `cmake --install` puts beside the program (src/CMakeLists.txt installs it to
# bin/), and the Debian package CPack makes of it (scripts/package builds it).

# Installing (and packaging) copies what is built instead of first building every test
# and benchmark: build the lettergate target before.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(LETTERGATE_HOMEPAGE "https://lettergate.app")
set(LETTERGATE_MAINTAINER "Lettergate developers <developers@lettergate.app>")

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

# The newest release at the top of CHANGELOG.md is this version: its date is the release
# date the man page and the AppStream metadata give.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md)
file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG.md newest_release REGEX "^## " LIMIT_COUNT 1)
if(NOT newest_release MATCHES "^## ([^ ]+) \\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\\)$"
   OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md must start with this release, \"## ${PROJECT_VERSION} (YYYY-MM-DD)\", "
                      "not \"${newest_release}\"")
endif()
set(LETTERGATE_RELEASE_DATE ${CMAKE_MATCH_2})
execute_process(COMMAND date -u -d "${LETTERGATE_RELEASE_DATE} 12:00" +%s OUTPUT_VARIABLE release_epoch
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE not_a_date)
if(not_a_date)
  message(FATAL_ERROR "CHANGELOG.md dates this release ${LETTERGATE_RELEASE_DATE}, which is no date")
endif()

# The manual page, written in scdoc's plain-text form and compressed as distributions
# ship it; dated by the release, not the build, so every build of a release makes the
# same page.
find_program(LETTERGATE_SCDOC scdoc)
if(NOT LETTERGATE_SCDOC)
  message(FATAL_ERROR "scdoc, which makes the man page, is missing: scripts/install-deps installs it")
endif()
set(man_source ${CMAKE_BINARY_DIR}/data/lettergate.1.scd)
set(man_page ${CMAKE_BINARY_DIR}/data/lettergate.1)
configure_file(data/lettergate.1.scd.in ${man_source} @ONLY)
add_custom_command(OUTPUT ${man_page}.gz
                   COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${release_epoch} ${LETTERGATE_SCDOC}
                           < ${man_source} > ${man_page}
                   COMMAND gzip -9n --force --keep ${man_page}
                   DEPENDS ${man_source}
                   VERBATIM)

# The package's changelog: CHANGELOG.md in the Debian changelog's form.
set(debian_changelog ${CMAKE_BINARY_DIR}/data/changelog.gz)
add_custom_command(OUTPUT ${debian_changelog}
                   COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/debian-changelog ${CMAKE_SOURCE_DIR}/CHANGELOG.md lettergate
                           ${LETTERGATE_MAINTAINER} ${debian_changelog}
                   DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/cmake/debian-changelog
                   VERBATIM)

# Installing copies what is built, and only the program is built before installing or
# packaging: the documents are built with it.
add_custom_target(lettergate_documents DEPENDS ${man_page}.gz ${debian_changelog})
add_dependencies(lettergate lettergate_documents)
install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The license in the machine-readable copyright file distributions read: LICENSE's
# terms as a paragraph of their own, with its copyright line in a field.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" copyright_line "${license}")
set(LETTERGATE_COPYRIGHT ${CMAKE_MATCH_1})
string(FIND "${license}" "Permission is hereby granted" terms_start)
string(SUBSTRING "${license}" ${terms_start} -1 terms)
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " LETTERGATE_LICENSE_TERMS " ${terms}")
configure_file(data/copyright.in ${CMAKE_BINARY_DIR}/data/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/data/copyright ${debian_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lettergate)

# What software centres show of the program, naming its desktop entry.
set(metainfo ${CMAKE_BINARY_DIR}/data/${LETTERGATE_APP_ID}.metainfo.xml)
configure_file(data/lettergate.metainfo.xml.in ${metainfo} @ONLY)
install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Shell completions, where each shell looks for those of installed programs. zsh reads
# share/zsh/site-functions under /usr/local; Debian's zsh reads a package's from
# share/zsh/vendor-completions instead, where the package moves it
# (DebianPackageLayout.cmake).
install(FILES data/completions/lettergate.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME lettergate)
install(FILES data/completions/_lettergate DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/site-functions)
install(FILES data/completions/lettergate.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lettergate)
set(CPACK_PACKAGE_VENDOR "Lettergate")
set(CPACK_PACKAGE_CONTACT ${LETTERGATE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard-driven window switcher with clipboard history and snippets")
# One line each as the package's description shows them (at most 80 characters).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "One global trigger opens a floating panel that marks every application with a"
       "letter; typing it brings that application's window to the front. List keys"
       "lead to the clipboard history, snippets, quick links and shell commands.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${LETTERGATE_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/DebianPackageLayout.cmake)
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
