# Installation of the application (binary, desktop entry, icon, manual page, bash completion,
# the command interface's documents) and its Debian
# package: `cmake --install build` and `cd build && cpack`.
include(GNUInstallDirs)

install(TARGETS morvanta RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${PROJECT_SOURCE_DIR}/packaging/morvanta.desktop"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/morvanta.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/morvanta.1"
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Completion for `morvanta` and `morvanta msg`, where bash-completion looks for it on demand.
install(FILES "${PROJECT_SOURCE_DIR}/packaging/morvanta.bash-completion"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME morvanta)
# The command interface's protocol and the status-bar example with its script.
install(FILES "${PROJECT_SOURCE_DIR}/docs/ipc.md" "${PROJECT_SOURCE_DIR}/docs/status-bars.md"
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(PROGRAMS "${PROJECT_SOURCE_DIR}/docs/status-bars/morvanta-bar"
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Morvanta <support@morvanta.org>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY morvanta)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Automatic window tiling for X11 desktops\n Morvanta places every window into a numbered workspace and sizes it by the\n workspace's layout, beside any window manager.")
# The shared libraries the binary links (Qt, xcb, xkbcommon, OpenSSL) become dependencies (Qt's
# X11 platform plugin comes with libqt6gui6).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package carries the program without its debugging information.
set(CPACK_STRIP_FILES ON)
include(CPack)
