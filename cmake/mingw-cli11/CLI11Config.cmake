# CLI11::CLI11 for the Windows cross-build: the host's header-only CLI11,
# copied into the build folder so that no other host header is visible.
set(QUILLON_CLI11_HEADERS /usr/include/CLI CACHE PATH "Folder holding CLI11's CLI.hpp")
if(NOT EXISTS ${QUILLON_CLI11_HEADERS}/CLI.hpp)
  set(CLI11_FOUND FALSE)
  set(CLI11_NOT_FOUND_MESSAGE "No CLI.hpp in ${QUILLON_CLI11_HEADERS} (Debian: libcli11-dev)")
  return()
endif()
if(NOT TARGET CLI11::CLI11)
  set(_quillon_cli11_root ${CMAKE_BINARY_DIR}/cli11-include)
  file(COPY ${QUILLON_CLI11_HEADERS}/ DESTINATION ${_quillon_cli11_root}/CLI)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_quillon_cli11_root})
endif()
