# The installed program, in the usual layout under the prefix:
#   bin/lumenfold                      the program
#   lib/lumenfold/                     its run-time modules and the glyph shapes of 3-D text
#   share/lumenfold/                   what it ships: avatars, their pictures, the logo,
#                                      the sounds and the start-up script
#   share/applications/lumenfold.desktop, share/mime/packages/lumenfold.xml and
#   share/icons/hicolor/48x48/apps/lumenfold.xpm, so that a desktop opens worlds with it.
# The program finds lib/lumenfold and share/lumenfold from its own place
# (platform/ownmodule.h, core/dirs.h), so lib/lumenfold is named as such,
# not after the system's library folder.
include(GNUInstallDirs)

install(TARGETS lumenfold RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS module_web module_movies module_midisynth LIBRARY DESTINATION lib/lumenfold)
install(DIRECTORY ${PROJECT_BINARY_DIR}/lib/fonts DESTINATION lib/lumenfold)
# The shipped files as laid out beside the program in the build tree.
install(DIRECTORY ${PROJECT_BINARY_DIR}/shell/ DESTINATION ${CMAKE_INSTALL_DATADIR}/lumenfold
  FILES_MATCHING PATTERN "*.wrl" PATTERN "*.bmp" PATTERN "*.wav" PATTERN "*.tcl"
  PATTERN CMakeFiles EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/data/lumenfold.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/lumenfold-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME lumenfold.xml)
install(FILES ${PROJECT_BINARY_DIR}/shell/lumenfold.xpm DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
