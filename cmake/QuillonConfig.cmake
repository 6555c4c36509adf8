# Quillon's CMake package, installed or in a build folder: the imported
# program Quillon::quillon-cli, the static C library Quillon::quillon
# (quillon/quillon.h) and quillon_add_data() (QuillonData.cmake).
if(NOT TARGET Quillon::quillon-cli)
  include("${CMAKE_CURRENT_LIST_DIR}/QuillonTargets.cmake")
endif()
include("${CMAKE_CURRENT_LIST_DIR}/QuillonData.cmake")
