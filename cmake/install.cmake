# Install layout and the Debian package.
include(GNUInstallDirs)

set(quillon_contact "Quillon developers <quillon@example.org>")
set(quillon_homepage "https://github.com/quillon/quillon")
# Folders the install and the package create: 0755, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)

# Manual pages and the Debian changelog are installed compressed, as Debian
# keeps them: gzip -9n, so no name or time goes in and every build gives the
# same bytes.
find_program(QUILLON_GZIP gzip REQUIRED)
set(quillon_compressed)
function(quillon_compress source name)
  set(packed ${CMAKE_BINARY_DIR}/package-files/${name})
  add_custom_command(OUTPUT ${packed}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/${source} ${packed}
                     COMMAND ${QUILLON_GZIP} -9nf ${packed}
                     DEPENDS ${CMAKE_SOURCE_DIR}/${source}
                     COMMENT "Compressing ${source}" VERBATIM)
  set(quillon_compressed ${quillon_compressed} ${packed}.gz PARENT_SCOPE)
endfunction()

if(TARGET quillon)
  install(TARGETS quillon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  quillon_compress(docs/quillon.1 quillon.1)
  install(FILES ${CMAKE_BINARY_DIR}/package-files/quillon.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES data/quillon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/io.github.quillon.Quillon.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 48)
    install(FILES data/icons/quillon-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME quillon.png)
  endforeach()
endif()
if(TARGET quillon-cli)
  install(TARGETS quillon-cli EXPORT QuillonTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The core as a C library, Quillon::quillon (include/quillon/quillon.h).
  # A build that links the picture codecs in has no package of them to name.
  if(NOT QUILLON_LINKED_CODECS)
    install(TARGETS quillon_library EXPORT QuillonTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
            PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quillon)
  endif()
  install(FILES data/quillon-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME quillon-cli)
  quillon_compress(docs/quillon-cli.1 quillon-cli.1)
  install(FILES ${CMAKE_BINARY_DIR}/package-files/quillon-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The CMake package, find_package(Quillon): installed, and in the build
  # folder as well, so that Quillon_DIR may point at a build that was never
  # installed. quillon-cli runs on the build machine, whatever the firmware's
  # architecture: the version check ignores the architecture.
  include(CMakePackageConfigHelpers)
  set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Quillon)
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuillonConfigVersion.cmake
                                   COMPATIBILITY SameMinorVersion ARCH_INDEPENDENT)
  foreach(file QuillonConfig.cmake QuillonData.cmake)
    configure_file(cmake/${file} ${PROJECT_BINARY_DIR}/${file} COPYONLY)
    install(FILES cmake/${file} DESTINATION ${package_dir})
  endforeach()
  export(EXPORT QuillonTargets NAMESPACE Quillon:: FILE ${PROJECT_BINARY_DIR}/QuillonTargets.cmake)
  install(EXPORT QuillonTargets NAMESPACE Quillon:: DESTINATION ${package_dir})
  install(FILES ${PROJECT_BINARY_DIR}/QuillonConfigVersion.cmake DESTINATION ${package_dir})
endif()

# The web page, one file a browser opens from disk, when scripts/build-web has
# built it: OPTIONAL, so an install without it still succeeds.
install(FILES build-web/quillon.html DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon OPTIONAL)

# The package's documents: the licence in Debian's machine-readable copyright
# form (made from LICENSE, its text indented and empty lines as " ."), and the
# changelog.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
file(READ LICENSE quillon_licence_text)
string(FIND "${quillon_licence_text}" "Permission is hereby granted" quillon_licence_start)
string(SUBSTRING "${quillon_licence_text}" ${quillon_licence_start} -1 quillon_licence_text)
string(STRIP "${quillon_licence_text}" quillon_licence_text)
string(REPLACE "\n\n" "\n.\n" quillon_licence_text "${quillon_licence_text}")
string(REPLACE "\n" "\n " quillon_licence_text " ${quillon_licence_text}")
set(CPACK_PACKAGE_CONTACT "${quillon_contact}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${quillon_homepage}")
configure_file(data/debian/copyright.in ${CMAKE_BINARY_DIR}/package-files/copyright @ONLY)
quillon_compress(data/debian/changelog changelog)
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillon)
install(FILES ${CMAKE_BINARY_DIR}/package-files/copyright DESTINATION ${doc_dir})
install(FILES ${CMAKE_BINARY_DIR}/package-files/changelog.gz DESTINATION ${doc_dir})
# The user's guide and what it shows and points at: the examples, and the
# pictures and pages of docs/ it links.
install(FILES README.md DESTINATION ${doc_dir})
install(DIRECTORY docs/ DESTINATION ${doc_dir}/docs FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
install(DIRECTORY examples DESTINATION ${doc_dir} PATTERN ".gitignore" EXCLUDE)
add_custom_target(compressed_documents ALL DEPENDS ${quillon_compressed})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Debian's extended description: lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Quillon turns pictures (PNG, GIF, JPEG, PNM, BMP) into the data table\n"
       "that the firmware of a 122 x 32 dot graphic LCD includes: DB lines of\n"
       "hex bytes in LCD page order, or the forms 8051 assemblers and C compilers\n"
       "take; and previews a table as the display will show it. The window\n"
       "(quillon) converts and previews two-colour BMP pictures; quillon-cli takes\n"
       "any picture, draws text with any font, writes glyph tables, and checks\n"
       "tables from make, CMake or a CI job. A static C library (libquillon)\n"
       "offers the same to other programs.")
set(CPACK_STRIP_FILES ON)
# The Qt libraries come from dpkg-shlibdeps; the window also needs Qt's platform
# plugins at run time and the Arial-metric font its notice is set in. The picture
# codecs, FreeType and fontconfig are loaded when a file or font name needs them, so dpkg-shlibdeps cannot
# see them: they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-liberation, libspng0 (>= 0.7.3), libgif7 (>= 5.2.1), libjpeg62-turbo (>= 1:2.1.5), libfreetype6, libfontconfig1")
# bash reads the completion of quillon-cli only where bash-completion is
# installed: recommended, as Debian's packages that ship completions do.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")
include(CPack)

if(QUILLON_TESTS AND TARGET quillon-cli AND TARGET quillon)
  add_test(NAME DebianPackage
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/check_package.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  set_tests_properties(DebianPackage PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endif()
