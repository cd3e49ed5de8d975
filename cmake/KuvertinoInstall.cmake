# Installing like a Linux desktop program: the program, the shipped translation table, the desktop
# entry, the icons, the MIME type for .kvt documents, the AppStream metadata, the man page, the bash
# completion; and a Debian package of all of it.
include(GNUInstallDirs)

set(KUVERTINO_APP_ID example.velmora.Kuvertino)
set(KUVERTINO_DIST ${CMAKE_SOURCE_DIR}/dist/linux)
set(KUVERTINO_ICON_SVG ${KUVERTINO_DIST}/icons/${KUVERTINO_APP_ID}.svg)
set(KUVERTINO_ICON_SIZES 16 24 32 48 64 128 256)

# An installed program finds the shipped table relative to its own folder, so the package can be
# moved to any prefix.
file(RELATIVE_PATH KUVERTINO_SHARED_DATA_FROM_BIN
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/kuvertino)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/core/TablePlace.cpp TARGET_DIRECTORY kuvertino_core PROPERTIES
    COMPILE_DEFINITIONS KUVERTINO_SHARED_DATA_FROM_BIN="${KUVERTINO_SHARED_DATA_FROM_BIN}")

# The PNG icons are drawn from the SVG at build time, so no picture is kept twice in the sources.
set(KUVERTINO_ICON_PNGS)
foreach(size ${KUVERTINO_ICON_SIZES})
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${KUVERTINO_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
        COMMAND svg2png ${KUVERTINO_ICON_SVG} ${size} ${png}
        DEPENDS svg2png ${KUVERTINO_ICON_SVG}
        COMMENT "Drawing the ${size}x${size} icon"
        VERBATIM)
    list(APPEND KUVERTINO_ICON_PNGS ${png})
endforeach()
add_custom_target(app_icons ALL DEPENDS ${KUVERTINO_ICON_PNGS})

install(TARGETS kuvertino RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/translate.dat DESTINATION ${CMAKE_INSTALL_DATADIR}/kuvertino)
install(FILES ${KUVERTINO_DIST}/${KUVERTINO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KUVERTINO_DIST}/${KUVERTINO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KUVERTINO_DIST}/${KUVERTINO_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${KUVERTINO_APP_ID}.xml)
install(FILES ${KUVERTINO_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${KUVERTINO_ICON_SIZES})
    install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${KUVERTINO_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${KUVERTINO_DIST}/kuvertino.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The command line's options and file kinds for bash, loaded on demand by bash-completion.
install(FILES ${KUVERTINO_DIST}/completions/kuvertino DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kuvertino)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Velmora <kuvertino@velmora.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://www.velmora.example/kuvertino/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "design and print envelopes")
set(CPACK_PACKAGE_DESCRIPTION
    "Kuvertino designs and prints envelopes: recipient and sender, 25 envelope and sheet formats,
fonts, margins, a logo or stamp picture and the position of the address, with a live preview.
It prints one envelope, several copies, one per marked entry of its address list or one per line
of a CSV file. The interface is German, English, or any language filled in with its translation
editor.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries (Qt with its X11 and print plugins, libcups) come from dpkg-shlibdeps; the plugins
# for Wayland, more picture formats and Qt's own dialog texts are loaded only at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-image-formats-plugins, qt6-translations-l10n")
include(CPack)
