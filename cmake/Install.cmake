# Install rules and the Debian package. The simulator, the tests and the benchmarks are
# not installed.
include(GNUInstallDirs)
# The package needs only the two programs: installing must not build every test first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# Made when zoractl is built (src/CMakeLists.txt): the manual pages, the completion and
# the package's copyright and changelog.
set(zora_generated ${CMAKE_BINARY_DIR}/generated)
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
  install(FILES ${zora_generated}/zora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${zora_generated}/zoractl.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${zora_generated}/completion/zoractl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${zora_generated}/copyright ${zora_generated}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The site watch as a service (not enabled by the package: the README says how).
install(FILES data/systemd/zora-watch.service DESTINATION lib/systemd/system)
install(FILES data/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME zora)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ZORA_DEBIAN_REVISION})
set(CPACK_PACKAGE_CONTACT "ZORA maintainers <maintainers@zora.example.net>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "administration tool for network cameras on the local network")
# CPack puts the summary on the Description line itself, so the text here is only the
# long description; its lines start without a blank (a blank would make apt show them
# verbatim, unwrapped) and an empty line parts two paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "ZORA finds every camera on the local network by UDP broadcast discovery
and changes its settings: network, host name, accounts, and for
file-configured cameras DDNS, web and stream servers, event actions,
video, camera control, security and audio over FTP. It uploads firmware
images, web-page pictures and camera control daemons.

The command-line tool zoractl does the same from scripts.
")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
