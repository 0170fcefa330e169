# CPack: a Debian package on Linux; a ZIP on Windows and a disk image on
# macOS (not yet tried). `cmake --build build --target package`, or
# tools/build-package.sh, which also configures and builds.
set(CPACK_PACKAGE_NAME varendor)
set(CPACK_PACKAGE_VENDOR "Varendor maintainers")
set(CPACK_PACKAGE_CONTACT ${VARENDOR_CONTACT})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL ${VARENDOR_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "client for the Italian text role-playing game Varendor")
set(CPACK_PACKAGE_DESCRIPTION
    "Varendor is the program a player uses to play Varendor, an Italian text
role-playing game, instead of a bare terminal: the game in colour in a fast
display that keeps the last 500 lines, triggers that answer the server,
aliases, a bar of eight buttons of prepared commands, a composer for the
game's notes and a daily session log. The interface is in Italian.

The player's files live in ~/.local/share/Varendor, or in a folder of their
own per character chosen with --cartella.")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
elseif(APPLE)
  set(CPACK_GENERATOR DragNDrop)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # Not "games": that section asks for the program in /usr/games, and a
  # player's client belongs with the other network clients in /usr/bin.
  set(CPACK_DEBIAN_PACKAGE_SECTION net)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VARENDOR_CONTACT})
  # Libraries from dpkg-shlibdeps; the fonts the windows are drawn with; Qt's
  # own texts (file dialogs, context menus, network errors) in Italian.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-liberation2, qt6-translations-l10n")
  # The game's own voice speaks through the desktop's speech service; the
  # library comes through shlibdeps, the service and an Italian voice are
  # recommended (without them the client is silent, nothing else changes).
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "speech-dispatcher, speech-dispatcher-espeak-ng")
  set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
endif()

include(CPack)
