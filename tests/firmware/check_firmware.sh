#!/usr/bin/env bash
# The display drivers of examples/firmware, built by their Makefile with this
# build's quillon-cli and run in s51 against controllers.sh's model of the two
# controllers: for each picture the dots the controllers show are the dots
# quillon-cli previews, both displays are on and nothing is written after a
# million instructions. Drivers broken on purpose must fail the same check.
set -euo pipefail
cli=$1
source_dir=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$here/../integration/lib.sh"
. "$here/controllers.sh"
command -v s51 >/dev/null || fail "s51 is missing (Debian package sdcc-ucsim)"

# shows IHX STRICT PICTURE: the model, driven by IHX, shows PICTURE's dots.
shows() {
  model_commands "$1" "$2" >"$scratch/model.cmd"
  s51 -t 8052 -b -C "$scratch/model.cmd" </dev/null >"$scratch/model.out" 2>&1
  ! grep -m1 -i 'error:' "$scratch/model.out" >&2 || fail "s51 does not take the model's commands"
  awk -f "$here/render.awk" "$scratch/model.out" >"$scratch/shown" || return 1
  "$cli" preview "$3" >"$scratch/expected"
  diff "$scratch/expected" "$scratch/shown" >"$scratch/diff" || { head -5 "$scratch/diff" >&2; return 1; }
}

# build DIR PICTURE: make in a copy of the drivers (DIR) or in examples/firmware itself.
build() {
  run "$scratch/make.log" make -C "$1" BUILD="$scratch/build" PICTURE="$2" QUILLON_CLI="$cli"
}

# picture NAME PERL: a picture of the 488 bytes the Perl expression gives.
picture() {
  perl -e "print $2" >"$scratch/$1.bin"
  "$cli" convert --quiet -f bmp -o "$scratch/$1.bmp" "$scratch/$1.bin"
}
picture every-byte 'map { chr($_ % 256) } 0..487'
picture all-lit '"\xff" x 488'
picture checkerboard 'map { chr(($_ % 61 + 61 * int($_ / 244)) % 2 ? 0xaa : 0x55) } 0..487'
picture random 'map { chr(int(rand(256))) } 0..487'

for name in every-byte all-lit checkerboard random; do
  build "$source_dir/examples/firmware" "$scratch/$name.bmp"
  shows "$scratch/build/display-c.ihx" 1 "$scratch/$name.bmp" || fail "the C driver does not show $name"
  shows "$scratch/build/display-asm.ihx" 0 "$scratch/$name.bmp" || fail "the assembler driver does not show $name"
done

# broken WHAT SOURCE SED DRIVER STRICT: the driver with SOURCE edited by SED must fail.
broken() {
  rm -rf "$scratch/broken" "$scratch/build"
  cp -r "$source_dir/examples/firmware" "$scratch/broken"
  sed -i "$3" "$scratch/broken/$2"
  ! cmp -s "$source_dir/examples/firmware/$2" "$scratch/broken/$2" || fail "$1: the edit changed nothing"
  build "$scratch/broken" "$scratch/random.bmp"
  ! shows "$scratch/build/display-$4.ihx" "$5" "$scratch/random.bmp" 2>/dev/null || fail "$1, yet the check passes"
}
broken "controllers swapped" display.c '/^#define LCD/{s/LCD1_/LCDX_/; s/LCD2_/LCD1_/; s/LCDX_/LCD2_/}' c 1
broken "a page skipped" display.c 's/^#define PAGES 4/#define PAGES 3/' c 1
broken "the busy flag ignored" display.c '/^    wait_ready(lcd);$/d' c 1
broken "a column off by one" display.s 's/^CMD_COLUMN = 0x00/CMD_COLUMN = 0x01/' asm 0
broken "the display left off" display.s '/#CMD_DISPLAY_ON/d' asm 0
echo "both drivers show every picture on the model; the five broken drivers fail"
