# Cross-build for 64-bit Windows with Debian's MinGW-w64, posix threading
# variant (std::thread, std::mutex need it).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLON_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLON_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW_TRIPLET}-windres)

# Libraries, headers and packages come from the MinGW sysroot only; host
# programs (moc, python) may still be run.
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CLI11 is header-only, so the host's copy serves Windows too. Debian's own
# CLI11Config.cmake would put all of /usr/include (Linux headers) on the path;
# this one exposes only the CLI folder.
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-cli11 CACHE PATH "CLI11 for the Windows build")

# A self-contained .exe: libgcc, libstdc++ and winpthread linked in, so no
# MinGW DLL has to sit beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Release builds drop the symbols: 3.4 MB of a CLI11 + std::filesystem program become 1.4 MB.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Tests (add_test with a target as the command) run the .exe under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
