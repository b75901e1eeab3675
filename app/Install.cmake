# What `cmake --install` puts under the prefix for the desktop program: the
# program, its desktop entry (so that it is in the menu and opens folders and
# JPEG files), its icon and its AppStream metainfo, all named by the
# application id. They form the component "desktop".
set(LUMITAG_APP_ID org.example.lumitag)

install(TARGETS lumitag RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desktop)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/desktop/${LUMITAG_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/lumitag.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${LUMITAG_APP_ID}.svg COMPONENT desktop)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/desktop/${LUMITAG_APP_ID}.metainfo.xml.in
  ${CMAKE_CURRENT_BINARY_DIR}/${LUMITAG_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${LUMITAG_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT desktop)

# An install straight into a prefix refreshes the cache of its desktop
# entries; a staged install (DESTDIR) leaves that to the package's triggers.
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    find_program(LUMITAG_UPDATE_DESKTOP_DATABASE update-desktop-database)
    if(LUMITAG_UPDATE_DESKTOP_DATABASE)
      execute_process(COMMAND \${LUMITAG_UPDATE_DESKTOP_DATABASE} -q
        \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
        OUTPUT_QUIET ERROR_QUIET)
    endif()
  endif()
" COMPONENT desktop)
