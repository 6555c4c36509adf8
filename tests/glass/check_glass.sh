#!/usr/bin/env bash
# quillon-cli glass with small firmware written here: a driver that sets both
# controllers up and clears them, edited row by row into the set-ups that
# change what the glass shows and the mistakes the command names (each with
# its own line and exit status 1); display data reads on the bus and on the
# pins; the PNG; the exit statuses of a missing s51, a file that is no Intel
# HEX and a command line not understood.
set -euo pipefail
cli=$1
source_dir=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$source_dir/tests/integration/lib.sh"
command -v s51 >/dev/null || fail "s51 is missing (Debian package sdcc-ucsim)"

# Waits on each controller's status before a write, as display.c does. DPTR
# holds the controller's command register (0x8000 or 0x8002) throughout.
cat >"$scratch/template.s" <<'EOF'
        .area CSEG (ABS,CODE)
        .org 0x0000
        mov sp,#0x60
        mov dptr,#0x8000
        acall setup         ; controller 1
        mov dptr,#0x8002
        acall setup         ; controller 2
        mov dptr,#0x8000
; body
done:   sjmp done

ready:  push acc
poll:   movx a,@dptr
        anl a,#0x90
        jnz poll
        pop acc
        ret
cmd:    acall ready
        movx @dptr,a
        ret
dat:    acall ready
        inc dptr
        movx @dptr,a
        dec dpl
        ret
rd:     acall ready
        inc dptr
        movx a,@dptr
        dec dpl
        ret

setup:  mov a,#0xE2
        acall cmd
        mov a,#0xA4
        acall cmd
        mov a,#0xA0
        acall cmd
        mov a,#0xA9
        acall cmd
        mov a,#0xC0
        acall cmd
        mov a,#0xAF
        acall cmd
clear:  mov r1,#0xB8        ; every page, columns 0-60
spage:  mov a,r1
        acall cmd
        clr a
        acall cmd
        mov r0,#61
scol:   clr a
        acall dat
        djnz r0,scol
        inc r1
        cjne r1,#0xBC,spage
        ret
EOF

# firmware NAME SED: the template edited by SED, assembled to NAME.ihx.
firmware() {
  sed "$2" "$scratch/template.s" >"$scratch/$1.s"
  run "$scratch/as.log" sdas8051 -o "$scratch/$1.rel" "$scratch/$1.s"
  run "$scratch/as.log" sdld -n -i "$scratch/$1.ihx" "$scratch/$1.rel"
}
# glass NAME OPTIONS...: status, stdout and stderr in $status, out and err.
glass() {
  status=0
  "$cli" glass "${@:2}" "$scratch/$1.ihx" >"$scratch/out" 2>"$scratch/err" || status=$?
}
# table NAME PERL: a BMP of the 488 bytes the Perl expression gives.
table() {
  perl -e "print $2" >"$scratch/$1.bin"
  "$cli" convert --quiet -f bmp -o "$scratch/$1.bmp" "$scratch/$1.bin"
}
table clear '"\0" x 488'

# The template: every dot clear, nothing said; the dots as preview prints
# them, the PNG as preview writes it.
firmware clear ""
glass clear
[ "$status" -eq 0 ] && [ ! -s "$scratch/err" ] || fail "the template: status $status, $(cat "$scratch/err")"
"$cli" preview "$scratch/clear.bin" | cmp -s - "$scratch/out" || fail "the template's glass is not clear"
glass clear --png "$scratch/glass.png" --scale 3
"$cli" preview --png "$scratch/preview.png" --scale 3 "$scratch/clear.bin"
[ "$status" -eq 0 ] && [ ! -s "$scratch/out" ] && cmp -s "$scratch/glass.png" "$scratch/preview.png" ||
  fail "glass --png does not write what preview --png writes"

# A display data read in read-modify-write: page 0, column 0, a dummy read,
# then the byte, written back turned over: column 0's top 8 dots lit.
body='        mov a,#0xB8\n        acall cmd\n        clr a\n        acall cmd\n        mov a,#0xE0\n        acall cmd\n'
body+='        acall rd\n        acall rd\n        cpl a\n        acall dat\n        mov a,#0xEE\n        acall cmd'
firmware read "s/^; body\$/$body/"
table column '"\xff" . "\0" x 487'
glass read --expect "$scratch/column.bmp"
[ "$status" -eq 0 ] || fail "the data read: status $status, $(cat "$scratch/err")"

# shows NAME SED PERL: the template edited by SED shows the 488 bytes the Perl
# expression gives, whatever else it says. The set-up commands change what
# the glass shows of the RAM; a byte 0x01 at page 0, column 0 or 79, is the
# top dot of a column.
shows() {
  firmware "$1" "$2"
  table "$1" "$3"
  glass "$1" --expect "$scratch/$1.bmp"
  ! grep -q "differs from" "$scratch/err" || fail "$1: $(cat "$scratch/err")"
}
corner() {
  echo "s/^; body\$/        mov a,#$1\n        acall cmd\n        mov a,#0xB8\n        acall cmd\n        mov a,#$2\n        acall cmd\n        mov a,#1\n        acall dat/"
}
shows start-line-1 "$(corner 0xC1 0)" '"\0" x 183 . "\x80" . "\0" x 304'  # RAM line 0 on row 31
# Reversed, columns 79 to 19 show: 79 and 78-61 (never cleared) hold 0xA5.
shows reversed "$(corner 0xA1 0x4F)" '"\x01" . "\xa5" x 18 . "\0" x 42 . ("\xa5" x 19 . "\0" x 42) x 3 . "\0" x 244'
shows half-duty "$(corner 0xA8 0)" '"\x01" . "\0" x 487'                # row 0 of 16 driven
shows static-drive "$(corner 0xA5 0)" '"\xff" x 244 . "\0" x 244'
shows display-off "$(corner 0xAE 0)" '"\0" x 488'

# said NAME SED LINE [OPTIONS]: the template edited by SED exits with 1 and
# says LINE (a line after the file's name, or its start).
said() {
  firmware "$1" "$2"
  glass "$1" "${@:4}"
  [ "$status" -eq 1 ] || fail "$1: status $status, not 1: $(cat "$scratch/err")"
  grep -qF "quillon-cli: $scratch/$1.ihx: $3" "$scratch/err" || fail "$1: no line
$3
but:
$(cat "$scratch/err")"
}
# command BYTE: a body that sends BYTE to controller 1's command register.
command() { echo "s/^; body\$/        mov a,#$1\n        acall cmd/"; }
said start-line "$(command 0xC5)" "controller 1 (columns 0-60) starts the glass at RAM line 5, not 0 (0xC0 sets line 0)"
said adc "$(command 0xA1)" "controller 1 (columns 0-60) shows its columns in reverse, ADC 0xA1 (0xA0 is the normal order)"
said duty "$(command 0xA8)" "controller 1 (columns 0-60) drives 16 of the 32 rows, duty 1/16 (0xA9 sets 1/32)"
said static "$(command 0xA5)" "controller 1 (columns 0-60) is left in static drive, every dot lit (0xA4 ends it)"
said off "$(command 0xAE)" "controller 1 (columns 0-60) is left with its display off (0xAF turns it on)"
said unknown "$(command 0x87)" "controller 1 (columns 0-60): command 0x87 is none it knows"
said column "$(command 0x55)" "controller 1 (columns 0-60): column 85 was set (command 0x55); its columns are 0-79"
said page "$(command 0xBD)" "controller 1 (columns 0-60): page 5 was set (command 0xBD); its pages are 0-3"
said past-79 "s/^; body\$/        mov a,#0x4F\n        acall cmd\n        acall dat\n        acall dat\n        acall dat/" \
  "controller 1 (columns 0-60): 2 data bytes came past column 79 and were lost, the first (0x4F) at machine cycle "
said unwritten "s/^clear:  mov r1,#0xB8/clear:  mov r1,#0xB9/" \
  "controller 2 (columns 61-121): 61 bytes of what it shows were never written, page 0 columns 0-60"
said never-set-up "s/^        acall setup         ; controller 2/        acall clear/" \
  "controller 2 (columns 61-121) was never initialised: it got no reset, display on, ADC, static drive, duty or start line command"
said never-written '/^        mov dptr,#0x8002$/,+1d' "controller 2 (columns 61-121) was never written"
said restless 's/^done:   sjmp done/done:   sjmp 0/' "never came to rest: 5"
said silent 's/^        mov sp,#0x60/idle:   sjmp idle/' "wrote nothing in 120000"
# At rest sooner than the reset's 2 ms, the glass is read before the rest of
# the set-up: nothing was written after 0xE2.
said hasty "" "controller 1 (columns 0-60) is left with its display off (0xAF turns it on)" --rest 1000

# On the pins: controller 1 alone, its status read with E held high until
# the reset and each busy time are over; a byte written, read back in
# read-modify-write (a dummy read first) and written again turned over.
cat >"$scratch/pins.s" <<'EOF'
        .area CSEG (ABS,CODE)
        .org 0x0000
        clr p3.4            ; the enables low while R/W is still high
        clr p3.5
        mov dptr,#setup
next:   clr a
        movc a,@a+dptr
        inc dptr
        jz draw
        acall cmd
        sjmp next
draw:   mov a,#0x0F
        acall dat
        mov a,#0x00         ; back to column 0
        acall cmd
        mov a,#0xE0
        acall cmd
        acall rd            ; the dummy read
        acall rd
        cpl a
        acall dat
        mov a,#0xEE
        acall cmd
done:   sjmp done

ready:  mov p1,#0xFF
        clr p3.2            ; A0 = 0
        setb p3.3           ; R/W = 1
        setb p3.4
poll:   mov a,p1
        jb acc.7,poll
        jb acc.4,poll
        clr p3.4
        ret
cmd:    push acc
        acall ready
        pop acc
        clr p3.2
write:  clr p3.3
        mov p1,a
        setb p3.4
        clr p3.4
        ret
dat:    push acc
        acall ready
        pop acc
        setb p3.2
        sjmp write
rd:     acall ready
        setb p3.2
        setb p3.3
        setb p3.4
        mov a,p1
        clr p3.4
        ret
setup:  .db 0xE2, 0xA4, 0xA0, 0xA9, 0xC0, 0xAF, 0xB8, 0x00, 0
EOF
run "$scratch/as.log" sdas8051 -o "$scratch/pins.rel" "$scratch/pins.s"
run "$scratch/as.log" sdld -n -i "$scratch/pins.ihx" "$scratch/pins.rel"
table pins '"\xf0" . "\xa5" x 243 . "\0" x 244'  # the rest of its RAM as it powered on
glass pins --wiring port --expect "$scratch/pins.bmp"
[ "$status" -eq 1 ] && ! grep -q "differs from\|while it was" "$scratch/err" &&
  grep -qF "controller 2 (columns 61-121) was never written" "$scratch/err" || fail "pins: $(cat "$scratch/err")"

# Exit status 2: no s51, a file that is no Intel HEX, a --expect that cannot
# be read; 64: a command line not understood. Nothing on stdout.
# fails STATUS LINE OPTIONS...: glass with OPTIONS exits with STATUS and its
# first line on stderr holds LINE.
fails() {
  local status=0
  "${@:3}" >"$scratch/out" 2>"$scratch/err" || status=$?
  [ "$status" -eq "$1" ] && [ ! -s "$scratch/out" ] && head -1 "$scratch/err" | grep -qF -- "$2" ||
    fail "${*:3}: status $status, not $1, or no \"$2\": $(cat "$scratch/err")"
}
fw=$scratch/clear.ihx
fails 2 "quillon-cli: s51: the 8051 simulator is not on PATH; it comes with the Debian package sdcc-ucsim" \
  env PATH=/nonexistent "$cli" glass "$fw"
fails 2 "quillon-cli: $scratch/none/s51: cannot be run as the 8051 simulator (s51 of the Debian package sdcc-ucsim)" \
  "$cli" glass --s51 "$scratch/none/s51" "$fw"
fails 2 "quillon-cli: $scratch/template.s: is not an Intel HEX file: line 1: no record" "$cli" glass "$scratch/template.s"
sed '2s/..$/00/' "$fw" >"$scratch/sum.ihx"
fails 2 "quillon-cli: $scratch/sum.ihx: is not an Intel HEX file: line 2: wrong checksum" "$cli" glass "$scratch/sum.ihx"
fails 2 "quillon-cli: $scratch/none.ihx: cannot be read" "$cli" glass "$scratch/none.ihx"
fails 2 "quillon-cli: $scratch/none.png: cannot be read" "$cli" glass --expect "$scratch/none.png" "$fw"
fails 64 "takes four addresses (command 1, data 1, command 2, data 2), not 3" "$cli" glass --wiring 1,2,3 "$fw"
fails 64 "names address 0x8000 twice" "$cli" glass --wiring 0x8000,0x8001,0x8000,0x8003 "$fw"
fails 64 "\"P3.9\" is no port pin" "$cli" glass --wiring port --e1 P3.9 "$fw"
fails 64 "\"P4\" is no port" "$cli" glass --wiring port --data P4 "$fw"
fails 64 "--e1: is for --wiring port" "$cli" glass --e1 P3.4 "$fw"
fails 64 "--e1 and --e2 are both P3.4" "$cli" glass --wiring port --e2 P3.4 "$fw"
fails 64 "--a0 P1.0 is on the data port P1" "$cli" glass --wiring port --a0 P1.0 "$fw"
fails 64 "--scale: is for --png or --gif" "$cli" glass --scale 2 "$fw"
fails 64 "FIRMWARE is required" "$cli" glass
echo "glass names each mistake of the template's edits; statuses 2 and 64 as documented"
