# Shared by ./run and ./test: install what a fresh Debian machine lacks, then
# configure (once) and build into build/.

# Debian packages the build and the windows need.
QUILLON_PACKAGES=(cmake make g++ qt6-base-dev fonts-liberation libcli11-dev dpkg-dev desktop-file-utils pkg-config libspng-dev libgif-dev libjpeg62-turbo-dev
                  libfreetype-dev libfontconfig-dev)
# What the tests need besides: the package test runs lintian and appstreamcli, the
# pre-commit hook's test pre-commit and git, the format tests assemble and
# compile with the toolchains (sdcc brings sdas8051 and sdld), the display
# drivers run in the 8051 simulator s51 (sdcc-ucsim), the example projects
# are built with Ninja as well as make, the picture tests are made and
# checked with ImageMagick, and text is drawn with the DejaVu and X11
# misc-fixed fonts; GNU time reads a process's peak memory; the web page is
# tested in Debian's headless Chromium through its WebDriver and Selenium.
QUILLON_TEST_PACKAGES=(lintian appstream pre-commit git as31 sdcc mcu8051ide sdcc-ucsim ninja-build imagemagick
                       fonts-dejavu-core xfonts-base time chromium chromium-driver python3-selenium)

missing_packages() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || echo "$package"
  done
}

ensure_packages() {
  local missing
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Quillon needs these Debian packages; install them with:" >&2
    echo "  sudo apt-get install -y" $missing >&2
    exit 1
  fi
  echo "Installing:" $missing
  apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq $missing
}

# build_release [target...]: builds the targets named, or the programs (all:
# what installing and packaging need; the tests are the target all_tests).
build_release() {
  if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
  fi
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake --build build --parallel "$(nproc)" "${targets[@]}"
}
