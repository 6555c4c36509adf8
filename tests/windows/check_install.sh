#!/usr/bin/env bash
# The cross build installed as docs/windows.md says, then moved elsewhere: the
# prefix holds bin/quillon-cli.exe and lib/cmake/Quillon, and a CMake project
# given the moved prefix finds the package and, through it, that .exe.
#
#   check_install.sh BUILD_DIR
set -euo pipefail
build_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build_dir" --prefix "$scratch/dist" >"$scratch/install.log" ||
  { cat "$scratch/install.log"; fail "cmake --install failed"; }
mv "$scratch/dist" "$scratch/moved"
for file in bin/quillon-cli.exe lib/cmake/Quillon/QuillonConfig.cmake lib/cmake/Quillon/QuillonData.cmake; do
  [ -f "$scratch/moved/$file" ] || fail "the install lacks $file"
done

mkdir "$scratch/project"
cat >"$scratch/project/CMakeLists.txt" <<'END'
cmake_minimum_required(VERSION 3.20)
project(firmware NONE)
find_package(Quillon 0.1 REQUIRED)
file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/tool" CONTENT "$<TARGET_FILE:Quillon::quillon-cli>")
END
cmake -S "$scratch/project" -B "$scratch/build" -DCMAKE_PREFIX_PATH="$scratch/moved" >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log"; fail "find_package(Quillon) failed with the installed prefix"; }
tool=$(cat "$scratch/build/tool")
[ "$tool" = "$scratch/moved/bin/quillon-cli.exe" ] || fail "the package names $tool, not the installed .exe"
echo "installed and moved: the package names $tool"
