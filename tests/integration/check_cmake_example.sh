#!/usr/bin/env bash
# examples/cmake built against this build: through its package (Quillon_DIR
# naming the build folder) or with Quillon's source added by add_subdirectory.
# The listings land in the example's build folder, byte for byte what
# quillon-cli prints; a redrawn picture's listing, and the image, are built
# again, the other listing is not; a build with nothing changed builds nothing.
set -euo pipefail
source_dir=$1
build_dir=$2   # this build, with quillon-cli and QuillonConfig.cmake
generator=$3
how=$4         # package or subdirectory
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$(dirname "$0")/lib.sh"

project=$scratch/project
out=$scratch/build
cp -r "$source_dir/examples/cmake" "$project"
age "$project"
case $how in
  package) cli=$build_dir/quillon-cli where=(-DQuillon_DIR="$build_dir") ;;
  subdirectory) cli=$out/quillon/quillon-cli where=(-DQUILLON_SOURCE="$source_dir") ;;
  *) fail "unknown way: $how" ;;
esac
run "$scratch/configure.log" cmake -S "$project" -B "$out" -G "$generator" "${where[@]}"
run "$scratch/build.log" cmake --build "$out" --parallel 2
[ -x "$cli" ] || fail "no quillon-cli at $cli"

check_image() {
  expect_listing "$cli" "$project/logo.bmp" "$out/lcd_logo.txt"
  expect_listing "$cli" "$project/icons/arrow.bmp" "$out/lcd_arrow.txt"
  cat "$project/main.a51" "$out/lcd_logo.txt" "$out/lcd_arrow.txt" | cmp -s - "$out/firmware.img" ||
    fail "firmware.img is not main.a51 followed by the two listings"
}
check_image
written=$(find "$project" -name 'lcd_*')
[ -z "$written" ] || fail "listings written into the source folder: $written"

logo=$(mtime "$out/lcd_logo.txt") arrow=$(mtime "$out/lcd_arrow.txt") image=$(mtime "$out/firmware.img")
cp "$out/lcd_logo.txt" "$scratch/old_logo"
invert_picture "$project/logo.bmp"
run "$scratch/rebuild.log" cmake --build "$out" --parallel 2
[ "$(mtime "$out/lcd_logo.txt")" != "$logo" ] || fail "lcd_logo.txt was not built again after logo.bmp changed"
[ "$(mtime "$out/lcd_arrow.txt")" = "$arrow" ] || fail "lcd_arrow.txt was built again, though arrow.bmp is unchanged"
[ "$(mtime "$out/firmware.img")" != "$image" ] || fail "firmware.img was not built again"
grep -q "Converting logo.bmp" "$scratch/rebuild.log" || fail "the build did not say it converted logo.bmp"
! grep -q "arrow" "$scratch/rebuild.log" || fail "the build touched arrow.bmp: $(grep arrow "$scratch/rebuild.log")"
! cmp -s "$scratch/old_logo" "$out/lcd_logo.txt" || fail "lcd_logo.txt did not change with its picture"
check_image

stamps() { for file in lcd_logo.txt lcd_arrow.txt firmware.img; do echo "$file $(mtime "$out/$file")"; done; }
before=$(stamps)
run "$scratch/again.log" cmake --build "$out" --parallel 2
[ "$(stamps)" = "$before" ] || fail "a build with nothing changed wrote again: $(diff <(echo "$before") <(stamps))"
echo "examples/cmake ($how, $generator): built, rebuilt only lcd_logo.txt and the image"
