# Part of the install step (see install.cmake): writes the desktop entry, the launcher, the
# systemd user units and the manual pages for the prefix being installed to, and installs them.
# file(INSTALL) honours DESTDIR, as the rest of the install step does.
set(prefix "${CMAKE_INSTALL_PREFIX}")
set(KORVAL_BINDIR "${prefix}/${KORVAL_REL_BINDIR}")
set(KORVAL_LIBEXECDIR "${prefix}/${KORVAL_REL_LIBEXECDIR}")
set(KORVAL_DATADIR "${prefix}/${KORVAL_REL_DATADIR}")
# systemd looks for user units of packages in lib/systemd/user of /usr and /usr/local.
set(KORVAL_UNITDIR "${prefix}/lib/systemd/user")

file(MAKE_DIRECTORY "${KORVAL_DIST_WORK}/man")
foreach(name korval.desktop korval-launch korval.service korval-bridge.service)
  configure_file("${KORVAL_DIST_SOURCE}/${name}.in" "${KORVAL_DIST_WORK}/${name}" @ONLY)
endforeach()
foreach(page korval korval-replay korval-link)
  configure_file("${KORVAL_DIST_SOURCE}/man/${page}.1.in" "${KORVAL_DIST_WORK}/man/${page}.1" @ONLY)
  file(REMOVE "${KORVAL_DIST_WORK}/man/${page}.1.gz")
  # -n: no name or time in the header, so the same page gives the same bytes.
  execute_process(COMMAND gzip -9n "${KORVAL_DIST_WORK}/man/${page}.1" RESULT_VARIABLE zipped)
  if(NOT zipped EQUAL 0)
    message(FATAL_ERROR "gzip could not compress the manual page ${page}.1")
  endif()
endforeach()

file(INSTALL "${KORVAL_DIST_WORK}/korval-launch" DESTINATION "${KORVAL_LIBEXECDIR}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(INSTALL "${KORVAL_DIST_WORK}/korval.desktop" DESTINATION "${prefix}/${KORVAL_REL_APPDIR}")
file(INSTALL "${KORVAL_DIST_WORK}/korval.service" "${KORVAL_DIST_WORK}/korval-bridge.service"
     DESTINATION "${KORVAL_UNITDIR}")
file(INSTALL "${KORVAL_DIST_WORK}/man/korval.1.gz" "${KORVAL_DIST_WORK}/man/korval-replay.1.gz"
             "${KORVAL_DIST_WORK}/man/korval-link.1.gz" DESTINATION "${prefix}/${KORVAL_REL_MANDIR}")
