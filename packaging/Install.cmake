# Where `cmake --install` and the package put the programs: a Debian
# desktop program's layout. The chime goes into the data folder; the
# programs tell from that folder that they are installed and then keep
# Seriale.cfg and COM<N> links in the user's own folder.
install(TARGETS lettore-console lettore lettore-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/LetturaOk.wav DESTINATION ${CMAKE_INSTALL_DATADIR}/lettore)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lettore-console.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/src/console/art/lettore.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME lettore-console.svg)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lettore)
# The dissector that names the fields of saved captures, for
# `tshark -X lua_script:/usr/share/lettore/lettore.lua` or Wireshark's
# personal plug-in folder.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lettore.lua DESTINATION ${CMAKE_INSTALL_DATADIR}/lettore)

# `cpack` in the build folder makes build/lettore_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lettore)
set(CPACK_PACKAGE_CONTACT "Lettore maintainers <lettore@localhost>" CACHE STRING "The package's maintainer")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The summary line is the project's description.
set(CPACK_PACKAGE_DESCRIPTION "lettore-console drives every command of a serial badge reader
from one window and shows each frame on a communications monitor; lettore
runs the same commands from scripts; lettore-sim is a virtual reader line
on a pseudo-terminal.")
# The libraries the programs link are found by dpkg-shlibdeps. Qt loads
# its plug-ins at run time, so no link shows them; the platform and sound
# plug-ins come with the libraries linked, the SVG ones (the window icon,
# the list arrows) do not, and their package is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Qt's own buttons and dialogs in Italian; without them they read English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
