#!/usr/bin/env bash
# The display drivers of examples/firmware, built by their Makefile with this
# build's quillon-cli and run through quillon-cli glass --expect: for each
# picture the glass shows its dots and nothing is reported, from the C and
# the assembler driver on the bus and the C driver on port pins. Drivers
# broken on purpose in a scratch copy are each reported with a line of their
# own and exit status 1. The animation player, recorded by glass --gif, shows
# each frame of its animation for the frame's time, over and over.
set -euo pipefail
cli=$1
source_dir=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$source_dir/tests/integration/lib.sh"
command -v s51 >/dev/null || fail "s51 is missing (Debian package sdcc-ucsim)"

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

# shows IHX PICTURE [OPTIONS]: the glass shows the picture, nothing is said.
shows() {
  local status=0
  "$cli" glass "${@:3}" --expect "$2" "$1" >"$scratch/out" 2>"$scratch/err" || status=$?
  [ "$status" -eq 0 ] && [ ! -s "$scratch/err" ] && [ ! -s "$scratch/out" ] ||
    { cat "$scratch/err"; fail "glass ${*:3} $(basename "$1"): status $status"; }
}

for name in every-byte all-lit checkerboard random; do
  build "$source_dir/examples/firmware" "$scratch/$name.bmp"
  shows "$scratch/build/display-c.ihx" "$scratch/$name.bmp"
  shows "$scratch/build/display-asm.ihx" "$scratch/$name.bmp"
  shows "$scratch/build/display-port.ihx" "$scratch/$name.bmp" --wiring port
done
# Without --expect the dots are printed as preview prints them; --instructions
# shows the glass after that many, the picture half drawn or whole.
"$cli" glass "$scratch/build/display-c.ihx" >"$scratch/glass" || fail "glass does not print the C driver's glass"
"$cli" preview "$scratch/random.bmp" >"$scratch/preview"
cmp -s "$scratch/glass" "$scratch/preview" || fail "glass prints other dots than preview"
! "$cli" glass --instructions 20000 --expect "$scratch/random.bmp" "$scratch/build/display-c.ihx" 2>"$scratch/err" ||
  fail "the glass is whole after 20,000 of the C driver's 46,000 instructions"
grep -q "controller 2 (columns 61-121): 244 bytes of what it shows were never written" "$scratch/err" || fail "the half-drawn glass is not told: $(cat "$scratch/err")"
shows "$scratch/build/display-c.ihx" "$scratch/random.bmp" --instructions 300000

# The port driver on other pins, named by the options.
cp -r "$source_dir/examples/firmware" "$scratch/pins"
sed -i 's/^#define LCD_DATA P1/#define LCD_DATA P2/; s/P3_2$/P1_0/; s/P3_3$/P1_1/; s/P3_4$/P1_6/; s/P3_5$/P1_7/' \
  "$scratch/pins/lcd_port.c"
grep -q "LCD_E2 P1_7" "$scratch/pins/lcd_port.c" || fail "the pins were not moved"
build "$scratch/pins" "$scratch/random.bmp"
shows "$scratch/build/display-port.ihx" "$scratch/random.bmp" --wiring port --data P2 --a0 P1.0 --rw P1.1 --e1 P1.6 \
  --e2 P1.7

# broken WHAT SOURCE SED DRIVER LINE [OPTIONS]: the driver with SOURCE edited by
# SED exits with 1 and says LINE (a part of a line) on stderr.
broken() {
  rm -rf "$scratch/broken" "$scratch/build"
  cp -r "$source_dir/examples/firmware" "$scratch/broken"
  sed -i "$3" "$scratch/broken/$2"
  [ -z "$3" ] || ! cmp -s "$source_dir/examples/firmware/$2" "$scratch/broken/$2" || fail "$1: the edit changed nothing"
  build "$scratch/broken" "$scratch/random.bmp"
  local status=0
  "$cli" glass "${@:6}" --expect "$scratch/random.bmp" "$scratch/build/display-$4.ihx" 2>"$scratch/err" || status=$?
  [ "$status" -eq 1 ] || { cat "$scratch/err"; fail "$1: status $status, not 1"; }
  grep -qF -- "$5" "$scratch/err" || fail "$1: no line says \"$5\":
$(cat "$scratch/err")"
}
broken "controllers swapped" lcd_bus.c '/^#define LCD/{s/LCD1_/LCDX_/; s/LCD2_/LCD1_/; s/LCDX_/LCD2_/}' c \
  "row 0 (page 0) differs from"
broken "a page skipped" lcd.c 's/^#define PAGES 4/#define PAGES 3/' c \
  "controller 1 (columns 0-60): 61 bytes of what it shows were never written, page 3 columns 0-60"
broken "a column off by one" display.s 's/^CMD_COLUMN = 0x00/CMD_COLUMN = 0x01/' asm \
  "controller 2 (columns 61-121): 4 bytes of what it shows were never written, pages 0-3 column 0"
# The assembler driver's set-up commands written straight after each other
# (DPTR still holds the command register after 0xE2), 3 machine cycles apart
# instead of 11.
broken "the busy flag ignored" display.s '/#CMD_STATIC_OFF/,/#CMD_PAGE/s/acall command/movx @dptr,a/' asm \
  "controller 1 (columns 0-60): 2 writes came while it was busy and were lost, the first (command 0xA0) 3 machine cycles after the write before; it is busy 5 µs after each write, 5 machine cycles at 12 MHz"
broken "the display left off" display.s '/#CMD_DISPLAY_ON/d' asm \
  "controller 2 (columns 61-121) is left with its display off"
broken "the reset not waited for" display.s '/^wait:/d; /djnz r1,wait/d' asm \
  "writes came while it was still resetting and were lost, the first (command 0xA4)"
broken "the enables swapped" lcd_port.c 's/P3_4$/P3_X/; s/P3_5$/P3_4/; s/P3_X$/P3_5/' port \
  "row 0 (page 0) differs from" --wiring port
# The assembler driver unchanged, on an 8051 twice as fast: its wait after
# 0xE2 is 1.03 ms.
broken "a 24 MHz clock" display.s "" asm \
  "came while it was still resetting and were lost, the first (command 0xA4) 2069 machine cycles after 0xE2; a reset takes 2 ms, 4000 machine cycles" \
  --clock 24
# The same driver against a slower controller: writes 11 machine cycles apart
# are too close for a busy time of 12 us, 2,069 cycles after 0xE2 for a reset
# of 2.1 ms.
broken "a busy time of 12 us" display.s "" asm \
  "controller 1 (columns 0-60): 6 writes came while it was busy and were lost, the first (command 0xA0) 11 machine cycles after the write before; it is busy 12 µs after each write, 12 machine cycles at 12 MHz" \
  --busy-time 12
broken "a reset time of 2.1 ms" display.s "" asm \
  "2069 machine cycles after 0xE2; a reset takes 2.1 ms, 2100 machine cycles" --reset-time 2100

# The animation player: three frames of 100, 200 and 300 ms, recorded for 1.3 s
# of the firmware's time, 1 pixel a dot (green clear dots, black lit ones: a
# threshold of 50 tells them apart when the recording is read back).
convert -size 122x32 -delay 10 xc:white -delay 20 "$scratch/random.bmp" -delay 30 pattern:checkerboard \
  "$scratch/anim.gif"
run "$scratch/make.log" make -C "$source_dir/examples/firmware" animation BUILD="$scratch/build" \
  PICTURE="$scratch/anim.gif" QUILLON_CLI="$cli"
"$cli" glass --seconds 1.3 --gif "$scratch/recorded.gif" --scale 1 "$scratch/build/animation.ihx" >/dev/null ||
  fail "glass --gif of the animation player failed"
"$cli" convert --quiet --frames all -f bin -o "$scratch/animation.bin" "$scratch/anim.gif"
"$cli" convert --quiet --frames all --threshold 50 -f bin -o "$scratch/recorded.bin" "$scratch/recorded.gif"
python3 - "$scratch/animation.bin" "$scratch/recorded.bin" <<'CHECK' || fail "the recording is not the animation"
import sys
def frames(path):
    data = open(path, "rb").read()
    count = data[0] | data[1] << 8
    delays = [data[2 + 2 * k] | data[3 + 2 * k] << 8 for k in range(count)]
    at = 2 + 2 * count
    return [(delays[k], data[at + 488 * k:at + 488 * (k + 1)]) for k in range(count)]
wanted, recorded = frames(sys.argv[1]), frames(sys.argv[2])
print("recorded:", [delay for delay, _ in recorded])
assert len(recorded) >= 7, "fewer than 7 frames in 1.3 s"
for k, (delay, image) in enumerate(recorded):
    want_delay, want_image = wanted[k % len(wanted)]
    assert image == want_image, f"frame {k} is not the animation's frame {k % len(wanted)}"
    # The first frame shows from the start, its set-up included; the last until the recording ends.
    assert delay == want_delay or k in (0, len(recorded) - 1), f"frame {k}: {delay} ms"
CHECK
echo "three drivers show every picture on the glass; the ten broken ones are told; the animation plays in time"
