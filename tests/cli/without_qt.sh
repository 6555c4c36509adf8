#!/usr/bin/env bash
# quillon-cli built without Qt, where the Qt Test objects cannot run: a picture
# made here byte by byte converts, checks and previews as the tests expect.
#
#   tests/cli/without_qt.sh QUILLON-CLI
set -euo pipefail
cli=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"

# A 1-bit 122 x 32 picture: headers, black and white, rows of 16 bytes; the top
# row (stored last) all black, everything else white.
{
  printf 'BM\x3e\x02\x00\x00\x00\x00\x00\x00\x3e\x00\x00\x00'
  printf '\x28\x00\x00\x00\x7a\x00\x00\x00\x20\x00\x00\x00\x01\x00\x01\x00'
  printf '\x00\x00\x00\x00\x00\x02\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  printf '\x00\x00\x00\x00\xff\xff\xff\x00'
  for row in $(seq 1 31); do printf '\xff%.0s' $(seq 1 16); done
  printf '\x00%.0s' $(seq 1 16)
} > top.bmp

[ "$("$cli" convert top.bmp)" = lcd_top.txt ]
[ "$(wc -c < lcd_top.txt)" -eq 2760 ]
[ "$(head -n 1 lcd_top.txt)" = "$(printf '        DB 01H,01H,01H,01H,01H,01H,01H,01H;\r')" ]
"$cli" convert --check top.bmp
"$cli" convert --format bin -o top.bin top.bmp
[ "$(wc -c < top.bin)" -eq 488 ]
[ "$("$cli" preview lcd_top.txt | head -n 1)" = "$(printf '#%.0s' $(seq 1 122))" ]
echo "quillon-cli without Qt: convert, check, bin and preview as expected"
