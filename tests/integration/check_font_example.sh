#!/usr/bin/env bash
# examples/font built against this build for a BDF font, PCF.gz bitmap fonts
# and TrueType fonts: its render, over the table quillon-cli font wrote, must
# write byte for byte what quillon-cli text writes, for many strings and
# positions; the host build has no warning, the renderer builds for the 8051
# with SDCC, and the table's assembler formats assemble to its bytes.
#
#   check_font_example.sh SOURCE_DIR QUILLON-CLI
set -euo pipefail
source_dir=$1
cli=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$(dirname "$0")/lib.sh"

misc=/usr/share/fonts/X11/misc
dejavu=/usr/share/fonts/truetype/dejavu
[ -f $misc/6x13.pcf.gz ] || fail "the misc-fixed fonts are missing: install xfonts-base"
[ -f $dejavu/DejaVuSans.ttf ] || fail "DejaVu is missing: install fonts-dejavu-core"

# A BDF of odd glyphs for 32-126 and the degree sign: dots from a fixed
# sequence, widths 0-8, left offsets -2 to 2, descents to 3 rows, advances
# 0-9, and a default glyph (code 1).
perl -e '
  my $s = 7; sub r { $s = ($s * 1103515245 + 12345) % 2147483648; return ($s >> 8) % $_[0]; }
  print "STARTFONT 2.1\nFONT -quillon-odd\nSIZE 12 75 75\nFONTBOUNDINGBOX 8 13 -2 -3\n";
  print "STARTPROPERTIES 4\nPIXEL_SIZE 12\nFONT_ASCENT 9\nFONT_DESCENT 3\nDEFAULT_CHAR 1\nENDPROPERTIES\n";
  for my $code (1, 32 .. 126, 176) {
    my ($w, $h, $x, $y) = (r(9), 1 + r(12), r(5) - 2, r(4) - 3);
    print "STARTCHAR c$code\nENCODING $code\nSWIDTH 500 0\nDWIDTH ", r(10), " 0\nBBX $w $h $x $y\nBITMAP\n";
    printf "%02X\n", r(256) & (0xFF << (8 - $w)) & 0xFF for 1 .. $h;
    print "ENDCHAR\n";
  }
  print "ENDFONT\n";' >"$scratch/odd.bdf"

strings=(
  "Hello, World!"
  'AVATAR Tea WAVY To yV\nFly away: 25°C'
  'Menu\n> Settings\n  Contrast 7'
  "{[(|)]} ~^_\`@#\$%&*+-=/<>?;:'\""
  "The quick brown fox jumps over the lazy dog 0123456789"
  'a中b中\\\\n'
)
positions=("0 0" "-3 -2" "50 10" "117 25" "-40 0" "0 -12" "100 -5" "3 30" "-200 -40")

# check_font NAME FONT SIZE: builds the renderer for the font, compares.
check_font() {
  local name=$1 font=$2 size=$3 build=$scratch/$1
  run "$scratch/$name.log" make -C "$source_dir/examples/font" FONT="$font" SIZE="$size" BUILD="$build" \
    QUILLON_CLI="$cli"
  ! grep -qi "warning" "$scratch/$name.log" || fail "$name: the renderer's build warns: $(cat "$scratch/$name.log")"
  local size_option=() compared=0
  [ -z "$size" ] || size_option=(--size "$size")
  for text in "${strings[@]}"; do
    for position in "${positions[@]}"; do
      read -r x y <<<"$position"
      "$build/render" "$x" "$y" "$text" >"$scratch/render.bin"
      "$cli" text --font "$font" "${size_option[@]}" --x "$x" --y "$y" -f bin -o - "$text" \
        >"$scratch/text.bin" 2>/dev/null || fail "$name: quillon-cli text refused \"$text\" at $x $y"
      cmp -s "$scratch/render.bin" "$scratch/text.bin" ||
        fail "$name: render and quillon-cli text differ for \"$text\" at $x $y"
      [ "$(stat -c %s "$scratch/render.bin")" -eq 488 ] || fail "$name: render wrote no 488 bytes"
      compared=$((compared + 1))
    done
  done
  # The texts must have lit dots: equal blank images would prove nothing.
  "$build/render" 0 0 "Hello" | od -An -tx1 | grep -q '[1-9a-f]' || fail "$name: Hello lights no dot"
  echo "$name: $compared strings and positions drawn alike"
}

check_font odd-bdf "$scratch/odd.bdf" ""
check_font misc-fixed-6x13 $misc/6x13.pcf.gz ""
check_font misc-fixed-5x7 $misc/5x7.pcf.gz 7
check_font dejavu-sans-12 $dejavu/DejaVuSans.ttf 12
check_font dejavu-serif-16 $dejavu/DejaVuSerif.ttf 16
grep -q "0x[0-9A-F][0-9A-F], 0x00, 0x[0-9A-F][0-9A-F], /\* kerning" "$scratch/dejavu-sans-12/font_table.h" ||
  fail "the DejaVu Sans table holds no kerning pairs"

# The table in each assembler format places the bytes of the bin table at 0x100.
hex_bytes() { # HEX-FILE COUNT: the COUNT bytes from 0x100, as hex
  perl -ne 'if (/^:(..)(....)00(.*)..\s*$/) { my ($n, $a, $d) = (hex $1, hex $2, $3);
    $m[$a + $_] = substr($d, 2 * $_, 2) for 0 .. $n - 1 } END { print join("", map { $m[0x100 + $_] // "--" } 0 .. '"$2"' - 1) }' "$1"
}
tables=$scratch/tables
mkdir "$tables"
"$cli" font --font $dejavu/DejaVuSans.ttf --size 12 --chars 32-126,0xB0 -f bin -o "$tables/font.bin"
expected=$(od -An -v -tx1 "$tables/font.bin" | tr -d ' \n' | tr a-f A-F)
count=$(stat -c %s "$tables/font.bin")
for format in as31 sdas a51; do
  "$cli" font --font $dejavu/DejaVuSans.ttf --size 12 --chars 32-126,0xB0 -f $format -o "$tables/font.$format"
done
(cd "$tables" && printf '        .org 0x100\n        .inc "font.as31"\n' >fw.asm && as31 fw.asm >as31.log 2>&1) ||
  fail "as31 refuses the table: $(cat "$tables/as31.log")"
(cd "$tables" && printf '        .area CSEG (ABS,CODE)\n        .org 0x100\n        .include "font.sdas"\n' >fw.s &&
  sdas8051 -o fw.s && sdld -n -i fw.ihx fw.rel) >"$tables/sdas.log" 2>&1 ||
  fail "sdas8051 refuses the table: $(cat "$tables/sdas.log")"
(cd "$tables" && printf '        ORG 100H\n$INCLUDE (font.a51)\n        END\n' >fwa.a51 &&
  mcu8051ide --assemble fwa.a51 >a51.log 2>&1) || fail "MCU 8051 IDE refuses the table: $(cat "$tables/a51.log")"
for built in fw.hex fw.ihx fwa.hex; do
  [ "$(hex_bytes "$tables/$built" "$count")" = "$expected" ] || fail "$built does not hold the table's $count bytes"
done
echo "the glyph table assembles to its bytes with as31, sdas8051 and MCU 8051 IDE"

command -v sdcc >/dev/null || fail "sdcc is missing: install sdcc"
run "$scratch/sdcc.log" make -C "$source_dir/examples/font" FONT=$dejavu/DejaVuSans.ttf SIZE=12 \
  BUILD="$scratch/dejavu-sans-12" QUILLON_CLI="$cli" firmware
! grep -qi "warning" "$scratch/sdcc.log" || fail "SDCC warns: $(cat "$scratch/sdcc.log")"
[ -s "$scratch/dejavu-sans-12/firmware.ihx" ] || fail "SDCC wrote no firmware.ihx"
# Run in the 8051 simulator, the firmware leaves in its image (external RAM
# from the address the map gives) what text draws.
command -v s51 >/dev/null || fail "s51 is missing: install sdcc-ucsim"
fw=$scratch/dejavu-sans-12
at=$(sed -n 's/^D: *\([0-9A-F]*\) *_image .*/\1/p' "$fw/firmware.map")
[ -n "$at" ] || fail "firmware.map does not place the image"
printf '%s\n' "file \"$fw/firmware.ihx\"" "step 3000000" "dump xram 0x$at $(printf '0x%x' $((0x$at + 487))) 16" \
  quit >"$fw/s51.cmd"
s51 -t 8052 -b -C "$fw/s51.cmd" </dev/null >"$fw/s51.out" 2>&1
perl -ne 'print map { chr hex } split / /, $1 if $dump && /^0x[0-9a-f]+ +((?:[0-9a-f]{2} )+)/; $dump = 1 if /^dump/' \
  "$fw/s51.out" >"$fw/s51.bin"
"$cli" text --font $dejavu/DejaVuSans.ttf --size 12 -f bin -o "$fw/text.bin" '25°C\nMenu'
cmp -s "$fw/s51.bin" "$fw/text.bin" || fail "the 8051 firmware's image differs from quillon-cli text's"
echo "examples/font: built with SDCC and run in s51, the renderer draws what quillon-cli text draws"
