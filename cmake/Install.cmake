# What `cmake --install` puts where, and the Debian package made from it with CPack.
set(VL_APP_ID org.vellamorinth.Vellamorinth)
set(VL_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS vellamorinth RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vellamorinth-engine LIBRARY DESTINATION ${VL_ENGINE_INSTALL_DIR})
install(DIRECTORY ${VL_DATA_SOURCE_DIR}/ DESTINATION ${VL_DATA_INSTALL_DIR} PATTERN gm.sf2 EXCLUDE)
# The sound font stays the system's: a link, relative as Debian wants it inside /usr.
file(READ_SYMLINK ${VL_DATA_SOURCE_DIR}/gm.sf2 VL_SOUND_FONT)
install(CODE "
  set(data \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VL_DATA_INSTALL_DIR}\")
  file(RELATIVE_PATH font \"\${CMAKE_INSTALL_PREFIX}/${VL_DATA_INSTALL_DIR}\" \"${VL_SOUND_FONT}\")
  file(CREATE_LINK \"\${font}\" \"\${data}/gm.sf2\" SYMBOLIC)
")
install(FILES ${VL_PACKAGING}/${VL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VL_PACKAGING}/${VL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VL_PACKAGING}/${VL_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${VL_PACKAGING}/icon-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VL_APP_ID}.png)
endforeach()

# Debian wants the man page and the changelog compressed, reproducibly.
foreach(doc vellamorinth.1 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${doc}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
                     COMMAND gzip -n -9 -c ${VL_PACKAGING}/${doc} > ${CMAKE_BINARY_DIR}/packaging/${doc}.gz
                     DEPENDS ${VL_PACKAGING}/${doc} VERBATIM)
endforeach()
add_custom_target(vl-packaging-docs ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/vellamorinth.1.gz
                                                ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/vellamorinth.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${VL_PACKAGING}/copyright
        ${CMAKE_BINARY_DIR}/bin/guide.html DESTINATION ${VL_DOC_INSTALL_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellamorinth)
set(CPACK_PACKAGE_VENDOR "The Vellamorinth developers")
set(CPACK_PACKAGE_CONTACT "Vellamorinth developers <dev@vellamorinth.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stage player for songs, setlists and lyrics")
set(CPACK_PACKAGE_DESCRIPTION
    "Plays prepared songs of up to eight tracks through a mixer into the outputs\n"
    "of a sound card, orders them in setlists, shows each song's lyric while it\n"
    "plays, and can be driven by MIDI and from a full-screen dark stage view.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://vellamorinth.org/)
# Libraries come from dpkg-shlibdeps; Qt's window-system plugins and the interface font
# are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
# HELP hands the user guide to the desktop's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fluid-soundfont-gm, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "jackd2, pulseaudio")
include(CPack)
