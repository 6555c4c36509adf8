#!/usr/bin/env bash
# examples/cmake-sdcc built with SDCC against this build's CMake package: the
# header lands in the build folder and the firmware holds its bytes; a redrawn
# picture gives a new header and a new firmware.ihx, though SDCC tells the
# build nothing of the headers it reads; a build with nothing changed builds
# nothing, and a build prints no more than CMake's own lines.
set -euo pipefail
source_dir=$1
build_dir=$2   # this build, with quillon-cli and QuillonConfig.cmake
generator=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$(dirname "$0")/lib.sh"
command -v sdcc >/dev/null || fail "sdcc is not installed (./test installs it)"

project=$scratch/project
out=$scratch/build
cp -r "$source_dir/examples/cmake-sdcc" "$project"
age "$project"
run "$scratch/configure.log" cmake -S "$project" -B "$out" -G "$generator" -DQuillon_DIR="$build_dir"
run "$scratch/build.log" cmake --build "$out"

# holds_table IHX HEADER: the firmware's code memory holds the header's 488 bytes.
holds_table() {
  local table code
  table=$(grep -o '0x[0-9A-F][0-9A-F]' "$2" | tr -d '\n' | sed 's/0x//g')
  code=$(sed -n 's/^:\(..\)....00\(.*\)..\r\?$/\1 \2/p' "$1" | while read -r count data; do echo -n "$data"; done)
  [ "${#table}" -eq 976 ] || fail "$2 does not hold 488 bytes"
  [[ $code == *"$table"* ]] || fail "$1 does not hold the bytes of $2"
}
expect_listing_format() { "$build_dir/quillon-cli" convert -f c -o - "$1" | cmp -s - "$2" || fail "$2 is not the C table of $1"; }

expect_listing_format "$project/logo.bmp" "$out/lcd_logo.h"
holds_table "$out/firmware.ihx" "$out/lcd_logo.h"
[ -z "$(find "$project" -name 'lcd_*')" ] || fail "a header was written into the source folder"
grep -qxF "$out/lcd_logo.h" "$scratch/build.log" && fail "quillon-cli printed the header's path inside the build"

cp "$out/firmware.ihx" "$scratch/old.ihx"
invert_picture "$project/logo.bmp"
run "$scratch/rebuild.log" cmake --build "$out"
grep -q "Converting logo.bmp to lcd_logo.h" "$scratch/rebuild.log" || fail "the build did not say it converted logo.bmp"
! cmp -s "$scratch/old.ihx" "$out/firmware.ihx" || fail "firmware.ihx was not built again after logo.bmp changed"
expect_listing_format "$project/logo.bmp" "$out/lcd_logo.h"
holds_table "$out/firmware.ihx" "$out/lcd_logo.h"

stamps() { find "$out" -type f \( -name 'lcd_logo.h' -o -name '*.ihx' -o -name '*.rel' \) -printf '%p %T@\n' | sort; }
before=$(stamps)
run "$scratch/again.log" cmake --build "$out"
[ "$(stamps)" = "$before" ] || fail "a build with nothing changed wrote again: $(diff <(echo "$before") <(stamps))"
echo "examples/cmake-sdcc ($generator): built, rebuilt firmware.ihx with the new picture, nothing when unchanged"
