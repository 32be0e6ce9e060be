# What `cmake --install` puts where (GNUInstallDirs), and the Debian package (`cpack -G DEB`).
#
#   bin/                         korval, korval-replay, korval-link, korval-demo
#   libexec/korval/korval-launch makes the user's program folder, then runs korval on it
#   share/korval/                default settings, data files, splash, maps/, demo/, bridge.env
#   share/applications/          korval.desktop
#   share/icons/hicolor/scalable/apps/korval.svg
#   share/man/man1/              korval.1, korval-replay.1, korval-link.1 (gzipped)
#   lib/systemd/user/            korval.service, korval-bridge.service
include(GNUInstallDirs)

# Installing (and packaging) needs only what is installed built, not every test and benchmark:
# build the programs first (tools/package.sh does).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(KORVAL_DATA_DEST ${CMAKE_INSTALL_DATADIR}/korval)

install(TARGETS korval-replay korval-demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(NOT KORVAL_CORE_ONLY)
  install(TARGETS korval korval-link RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

file(GLOB KORVAL_DATA_FILES ${PROJECT_SOURCE_DIR}/data/*.wdf ${PROJECT_SOURCE_DIR}/data/*.jpg)
install(FILES ${PROJECT_SOURCE_DIR}/data/KORVAL.ini ${KORVAL_DATA_FILES} ${PROJECT_SOURCE_DIR}/dist/bridge.env
        DESTINATION ${KORVAL_DATA_DEST})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/maps/ DESTINATION ${KORVAL_DATA_DEST}/maps FILES_MATCHING PATTERN "*.jpg")
install(FILES ${PROJECT_SOURCE_DIR}/data/demo/traffic.tmpl DESTINATION ${KORVAL_DATA_DEST}/demo)
install(FILES ${PROJECT_SOURCE_DIR}/data/korval.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The files that name installed paths are written when installing, for the prefix installed to:
# a package installs to /usr whatever prefix the build was configured with.
install(CODE "
  set(KORVAL_VERSION \"${PROJECT_VERSION}\")
  set(KORVAL_DIST_SOURCE \"${PROJECT_SOURCE_DIR}/dist\")
  set(KORVAL_DIST_WORK \"${CMAKE_BINARY_DIR}/dist\")
  set(KORVAL_REL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(KORVAL_REL_LIBEXECDIR \"${CMAKE_INSTALL_LIBEXECDIR}/korval\")
  set(KORVAL_REL_DATADIR \"${KORVAL_DATA_DEST}\")
  set(KORVAL_REL_APPDIR \"${CMAKE_INSTALL_DATADIR}/applications\")
  set(KORVAL_REL_MANDIR \"${CMAKE_INSTALL_MANDIR}/man1\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/install_dist.cmake\")
")

# ---- the Debian package -----------------------------------------------------------------------
set(CPACK_PACKAGE_NAME korval)
set(CPACK_PACKAGE_VENDOR "KORVAL")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "aircraft datalink station: ACARS, HFDL and SBS-1 messages on maps")
set(CPACK_PACKAGE_DESCRIPTION
    "KORVAL links to the decoders of aircraft datalink traffic (acarsdec, dumpvdl2, dumphfdl,
 SBS-1 feeds through its bridge), screens and reformats their messages, tracks every aircraft
 and its route, estimates oceanic clearances, and plots everything on three maps: in its
 windows, or headless with a web view for a feeder without a screen.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KORVAL developers <korval@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Map labels need a font on a machine without a desktop.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "acarsdec, dumpvdl2, dumphfdl, readsb")
include(CPack)
