#!/usr/bin/env bash
# examples/make run with this build's quillon-cli: the pattern rule writes each
# listing beside its picture, byte for byte what quillon-cli prints; after a
# picture is redrawn, "make check" fails naming its stale listing, and make
# writes that listing again and leaves the other alone; "make check" passes
# when every listing is fresh, with quillon-cli found on PATH by default.
set -euo pipefail
cli=$1
source_dir=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$(dirname "$0")/lib.sh"

project=$scratch/project
cp -r "$source_dir/examples/make" "$project"
age "$project"
cd "$project"
run "$scratch/make.log" make QUILLON_CLI="$cli"
check_image() {
  expect_listing "$cli" logo.bmp lcd_logo.txt
  expect_listing "$cli" arrow.bmp lcd_arrow.txt
  cat main.a51 lcd_logo.txt lcd_arrow.txt | cmp -s - firmware.img ||
    fail "firmware.img is not main.a51 followed by the two listings"
}
check_image
run "$scratch/check.log" env PATH="$(dirname "$cli"):$PATH" make check

arrow=$(mtime lcd_arrow.txt)
invert_picture logo.bmp
status=0
make QUILLON_CLI="$cli" check >"$scratch/stale.log" 2>&1 || status=$?
[ "$status" -ne 0 ] || fail "make check passed with lcd_logo.txt stale"
grep -q "lcd_logo.txt" "$scratch/stale.log" || fail "make check did not name lcd_logo.txt: $(cat "$scratch/stale.log")"
! grep -q "lcd_arrow.txt" "$scratch/stale.log" || fail "make check named the fresh lcd_arrow.txt"

run "$scratch/remake.log" make QUILLON_CLI="$cli"
grep -q "convert -o lcd_logo.txt logo.bmp" "$scratch/remake.log" || fail "make did not convert logo.bmp again"
! grep -q "arrow.bmp" "$scratch/remake.log" || fail "make converted arrow.bmp again, though it is unchanged"
[ "$(mtime lcd_arrow.txt)" = "$arrow" ] || fail "lcd_arrow.txt was written again"
check_image
make -q QUILLON_CLI="$cli" || fail "make still finds work to do after a build"
run "$scratch/check.log" make QUILLON_CLI="$cli" check
echo "examples/make: built, rebuilt only lcd_logo.txt and the image; make check failed when stale, passed when fresh"
