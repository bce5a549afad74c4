# Installation and the Debian package.
# Programs go to bin/, the desktop entry to share/applications/, the icon to the
# hicolor theme, the software centre's entry to share/metainfo/ and the manual
# pages to share/man/man1/. The desktop entry, the icon and the entry are named
# by the application id, org.example.matrikon.

install(TARGETS matrikon-calc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(NOT MATRIKON_ENGINE_ONLY)
  install(TARGETS matrikon matrikon-plot RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.example.matrikon.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.example.matrikon.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/man/matrikon.1 ${CMAKE_CURRENT_LIST_DIR}/man/matrikon-calc.1
              ${CMAKE_CURRENT_LIST_DIR}/man/matrikon-plot.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(_icon_dir ${PROJECT_SOURCE_DIR}/app/resources)
install(FILES ${_icon_dir}/matrikon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME org.example.matrikon.svg)
install(FILES ${_icon_dir}/matrikon-256.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
        RENAME org.example.matrikon.png)

set(CPACK_PACKAGE_NAME matrikon)
set(CPACK_PACKAGE_VENDOR "Matrikon developers")
set(CPACK_PACKAGE_CONTACT "Matrikon developers <matrikon@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Formula calculator, plane plotter and 3D surface viewer")
# One line each; the package tool indents them.
set(CPACK_PACKAGE_DESCRIPTION
  "A desktop mathematics tool with a Russian user interface: a formula calculator with\nnamed functions in degrees and a variables table, a plane plotter of F(X), and a\n3D wire-frame surface viewer. Plots go to bitmap, SVG and PDF files, the clipboard,\na printer and a report document; matrikon-plot draws them from scripts.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The runtime dependencies are what the binaries link, as dpkg-shlibdeps finds
# them. Nothing is added by hand: the X11 window-system plugin that Qt loads at
# run time ships with the Qt GUI library itself, and the printing plugin with
# the print support library.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening the web page and the report goes through the desktop's default handlers;
# Qt's own translations make the standard dialogs Russian.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
