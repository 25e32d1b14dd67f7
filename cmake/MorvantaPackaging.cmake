# Installation of the application (binary, KWin script, desktop entry, icon, manual page, bash
# completion, the command interface's documents) and its Debian
# package: `cmake --install build` and `cd build && cpack`.
include(GNUInstallDirs)

install(TARGETS morvanta RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The KWin bridge script, which the program finds beside itself at
# <bindir>/../share/morvanta/kwin/; the build tree gets a copy at the same place relative to
# its bin/, so a build runs in a Plasma session as it is.
set(MORVANTA_KWIN_SCRIPT "${PROJECT_SOURCE_DIR}/ax/kwin/script/morvanta-bridge.js")
install(FILES "${MORVANTA_KWIN_SCRIPT}" DESTINATION ${CMAKE_INSTALL_DATADIR}/morvanta/kwin)
configure_file("${MORVANTA_KWIN_SCRIPT}" "${CMAKE_BINARY_DIR}/share/morvanta/kwin/morvanta-bridge.js"
               COPYONLY)
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
    "Automatic window tiling for X11 desktops and KDE Plasma\n Morvanta places every window into a numbered workspace and sizes it by the\n workspace's layout, beside any X11 window manager or in KDE Plasma's Wayland\n session.")
# The shared libraries the binary and its network module link (Qt, xcb, xkbcommon, libsystemd)
# become dependencies; OpenSSL's libcrypto, opened only when an update's signature is checked,
# is named by hand (Qt's X11 platform plugin comes with libqt6gui6; its Wayland one, for Morvanta's
# own windows in a Plasma Wayland session, is only recommended: without it they use Xwayland).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libssl3")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
# The package carries the program without its debugging information.
set(CPACK_STRIP_FILES ON)
include(CPack)
