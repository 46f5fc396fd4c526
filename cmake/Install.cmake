# Install rules and the Debian package. The simulator, the tests and the benchmarks are
# not installed.
include(GNUInstallDirs)
# The package needs only the two programs: installing must not build every test first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(zora_programs zoractl)
if(ZORA_WIDGETS)
  list(APPEND zora_programs zora)
endif()
install(TARGETS ${zora_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(ZORA_WIDGETS)
  install(FILES data/zora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/net.zora.zora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 48 128 256)
    install(FILES data/icons/zora-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME zora.png)
  endforeach()
  install(FILES data/icons/zora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES data/man/zora.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES data/man/zoractl.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/completion/zoractl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ZORA maintainers <zora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "administration tool for network cameras on the local network")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "administration tool for network cameras on the local network
 ZORA finds every camera on the local network by UDP broadcast discovery and
 changes its settings: network, host name, accounts, and for file-configured
 cameras DDNS, web and stream servers, event actions, video, camera control,
 security and audio over FTP. It uploads firmware images, web-page pictures and
 camera control daemons. zoractl does the same from scripts.")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
