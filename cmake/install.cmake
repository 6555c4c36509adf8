# Install layout and the Debian package.
include(GNUInstallDirs)

if(TARGET quillon)
  install(TARGETS quillon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES data/quillon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 16 48)
    install(FILES data/icons/quillon-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME quillon.png)
  endforeach()
endif()
if(TARGET quillon-cli)
  install(TARGETS quillon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES docs/quillon-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon developers")
set(CPACK_PACKAGE_CONTACT "Quillon developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The Qt libraries come from dpkg-shlibdeps; the window also needs Qt's platform
# plugins at run time and the Arial-metric font its notice is set in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
include(CPack)

if(QUILLON_TESTS AND TARGET quillon-cli AND TARGET quillon)
  add_test(NAME DebianPackage
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/check_package.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(DebianPackage PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endif()
