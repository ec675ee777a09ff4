# Installs the program with its desktop entry, icons and AppStream metainfo, and packs
# them into a Debian package with CPack. Only the "desktop" component is installed or
# packed, so tests and benchmarks never reach the package.
if(NOT TARGET relief_foundry)
  return()
endif()

include(GNUInstallDirs)

set(RF_APP_ID org.relieffoundry.ReliefFoundry)
set(RF_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

install(TARGETS relief_foundry
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desktop)
install(FILES ${RF_ROOT}/packaging/${RF_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
install(FILES ${RF_ROOT}/packaging/${RF_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT desktop)

# Icon themes look icons up by the desktop entry's Icon name, so every file takes the
# program's id as its name.
foreach(size 16 32 48 64 128 256)
  install(FILES ${RF_ROOT}/resources/icons/relief-foundry-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${RF_APP_ID}.png COMPONENT desktop)
endforeach()
install(FILES ${RF_ROOT}/resources/icons/relief-foundry.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${RF_APP_ID}.svg COMPONENT desktop)

# The batch converter and its manual page, compressed as Debian keeps manual pages. The
# page is made with the converter, so building the converter is enough for packing.
install(TARGETS relief_foundry_convert
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desktop)
set(RF_CONVERT_MAN ${CMAKE_BINARY_DIR}/relief-foundry-convert.1)
add_custom_command(OUTPUT ${RF_CONVERT_MAN}.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${RF_ROOT}/packaging/relief-foundry-convert.1 ${RF_CONVERT_MAN}
  COMMAND gzip -9nf ${RF_CONVERT_MAN}
  DEPENDS ${RF_ROOT}/packaging/relief-foundry-convert.1 VERBATIM)
add_custom_target(relief_foundry_convert_man DEPENDS ${RF_CONVERT_MAN}.gz)
add_dependencies(relief_foundry_convert relief_foundry_convert_man)
install(FILES ${RF_CONVERT_MAN}.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT desktop)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME relief-foundry)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quennick (VORTALQUENCH)")
set(CPACK_PACKAGE_CONTACT "Quennick <quennick@relieffoundry.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "height map editor with DXF terrain mesh export")
# Debian wants the long description in lines of under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Relief_Foundry paints on a picture whose brightness stands for height,"
  "black the lowest ground and white the highest, with a pencil, an eraser"
  "and a blur brush. It loads and saves BMP files and exports the picture as"
  "a DXF mesh, one 3DFACE per grid cell, for import into a 3D modelling"
  "package as terrain, as an OBJ mesh for modelling programs, as a"
  "closed STL or 3MF solid for 3D printing sized in millimetres, or as a"
  "16-bit PNG or RAW height map for game engines. relief-foundry-convert"
  "converts folders of height maps the same way from the command line.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# <name>_<version>_<arch>.deb, the architecture taken from dpkg.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The library dependencies come from the binary itself, so they follow whatever Qt and
# C library it was linked against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its TIFF, TGA and WebP readers as plugins, which no library dependency names:
# Import Picture needs them. The 3MF package's zip library and the height map's PNG
# library are named too, as every dependency is (the computed ones repeat them with their
# versions). CPack adds the computed dependencies after these.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins, libzip4, libpng16-16")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};desktop;/")
include(CPack)
