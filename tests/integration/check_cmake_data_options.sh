#!/usr/bin/env bash
# quillon_add_data()'s arguments as quillon-cli receives them, through a
# stand-in quillon-cli that records each call and writes the file it is given:
# --format only when FORMAT is given, --inverse with INVERSE, the file named as
# the tool names it for the format, in OUTPUT_DIR; OUTPUTS and the target's
# QUILLON_DATA_FILES list the files. A changed quillon-cli converts again.
# Arguments it cannot take stop the configuration with a message.
set -euo pipefail
source_dir=$1
generator=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$(dirname "$0")/lib.sh"

fake=$scratch/quillon-cli
printf '#!/bin/sh\necho "$*" >>"%s/calls"\nwhile [ "$1" != -o ]; do shift; done\necho "$@" >"$2"\n' "$scratch" >"$fake"
chmod +x "$fake"
src=$scratch/src
out=$scratch/build

# configure ROW...: a project with a folder of its own for each ROW (a call's
# arguments), whose target "firmware" takes the data of that call.
configure() {
  rm -rf "$src" "$out" "$scratch/calls"
  mkdir -p "$src"
  cat >"$src/CMakeLists.txt" <<END
cmake_minimum_required(VERSION 3.20)
project(options NONE)
add_executable(Quillon::quillon-cli IMPORTED)
set_target_properties(Quillon::quillon-cli PROPERTIES IMPORTED_LOCATION "$fake")
include("$source_dir/cmake/QuillonData.cmake")
END
  local number=0 call
  for call in "$@"; do
    number=$((number + 1))
    mkdir -p "$src/$number/icons"
    touch "$src/$number/logo.bmp" "$src/$number/logo.png" "$src/$number/anim.gif" "$src/$number/Photo.JPG" "$src/$number/Logo.BMP.bmp" "$src/$number/icons/arrow.bmp" "$src/$number/icons/logo.bmp"
    echo "add_subdirectory($number)" >>"$src/CMakeLists.txt"
    cat >"$src/$number/CMakeLists.txt" <<END
add_custom_target(firmware_$number ALL)
quillon_add_data(firmware_$number $call OUTPUTS files)
get_target_property(listed firmware_$number QUILLON_DATA_FILES)
file(WRITE "\${CMAKE_CURRENT_BINARY_DIR}/lists" "\${files}\n\${listed}\n")
END
  done
  cmake -S "$src" -B "$out" -G "$generator" >"$scratch/configure.log" 2>&1
}

# Rows: the call's arguments | what quillon-cli is called with, one call per
# ";" (S is the row's folder, B its build folder). Every call is also given
# --quiet, so that a build prints only CMake's own lines.
rows=(
  "PICTURES logo.bmp|convert -o B/lcd_logo.txt S/logo.bmp"
  "PICTURES Logo.BMP.bmp FORMAT listing|convert --format listing -o B/lcd_Logo.txt.txt S/Logo.BMP.bmp"
  "PICTURES logo.bmp INVERSE|convert --inverse -o B/lcd_logo.txt S/logo.bmp"
  "PICTURES logo.bmp FORMAT a51 INVERSE|convert --format a51 --inverse -o B/lcd_logo.a51 S/logo.bmp"
  "PICTURES logo.bmp FORMAT as31|convert --format as31 -o B/lcd_logo.asm S/logo.bmp"
  "PICTURES Logo.BMP.bmp FORMAT sdas|convert --format sdas -o B/lcd_Logo.BMP.s S/Logo.BMP.bmp"
  "PICTURES logo.bmp FORMAT c|convert --format c -o B/lcd_logo.h S/logo.bmp"
  "PICTURES logo.bmp FORMAT bin|convert --format bin -o B/lcd_logo.bin S/logo.bmp"
  "PICTURES logo.bmp FORMAT bmp|convert --format bmp -o B/lcd_logo.bmp S/logo.bmp"
  "PICTURES icons/arrow.bmp logo.bmp OUTPUT_DIR data|convert -o B/data/lcd_arrow.txt S/icons/arrow.bmp;convert -o B/data/lcd_logo.txt S/logo.bmp"
  "PICTURES $src/11/logo.bmp OUTPUT_DIR $scratch/elsewhere|convert -o $scratch/elsewhere/lcd_logo.txt S/logo.bmp"
  "PICTURES logo.png DITHER atkinson FIT cover|convert --fit cover --dither atkinson -o B/lcd_logo.txt S/logo.png"
  "PICTURES Photo.JPG FORMAT c FRAME 0 FLIP h ROTATE 90 THRESHOLD 255 BACKGROUND black INVERSE|convert --format c --inverse --background black --threshold 255 --rotate 90 --flip h --frame 0 -o B/lcd_Photo.h S/Photo.JPG"
  "PICTURES anim.gif FORMAT c FRAMES all|convert --format c --frames all -o B/lcd_anim.h S/anim.gif"
)
calls=()
for row in "${rows[@]}"; do
  calls+=("${row%%|*}")
done
configure "${calls[@]}" || { cat "$scratch/configure.log"; fail "the configuration failed"; }
run "$scratch/build.log" cmake --build "$out"
number=0
all_expected=
for row in "${rows[@]}"; do
  number=$((number + 1))
  call=${row%%|*}
  expected=${row#*|}
  expected=${expected//convert /convert --quiet }
  # S/ and B/ only where a word starts: a scratch folder's name may end in S or B.
  expected=${expected// S\// $src/$number/}
  expected=${expected// B\// $out/$number/}
  all_expected+="$expected;"
  files=$(tr ';' '\n' <<<"$expected" | sed 's/.* -o \([^ ]*\) .*/\1/')
  for file in $files; do
    [ -f "$file" ] || fail "$call: $file was not written"
  done
  lists=$out/$number/lists
  [ "$(sed -n 1p "$lists" | tr ';' '\n')" = "$files" ] || fail "$call: OUTPUTS gives $(sed -n 1p "$lists"), not $files"
  [ "$(sed -n 2p "$lists")" = "$(sed -n 1p "$lists")" ] || fail "$call: QUILLON_DATA_FILES is not the list of files"
done
sort "$scratch/calls" >"$scratch/actual"
tr ';' '\n' <<<"${all_expected%;}" | sort >"$scratch/expected"
diff "$scratch/expected" "$scratch/actual" || fail "quillon-cli was not called as expected (< expected, > actual)"

# A new quillon-cli converts every picture again. The files written are made
# an hour old first: a file's time has the kernel's coarse resolution, and the
# fake touched within the same tick as the last file would look no newer.
find "$out" "$scratch/elsewhere" -name 'lcd_*' -exec touch -d '-1 hour' {} +
touch "$fake"
rm "$scratch/calls"
run "$scratch/build.log" cmake --build "$out"
sort "$scratch/calls" | diff "$scratch/expected" - || fail "a new quillon-cli did not convert every picture again"

# Rows: the call's arguments | what the configuration says.
refused=(
  "PICTURES logo.bmp FORMAT png|unknown FORMAT png; quillon-cli writes listing, a51, as31, sdas, c, bin, bmp"
  "PICTURES logo.bmp icons/logo.bmp|would both write"
  "FORMAT a51|no PICTURES given for firmware"
  "COLOURS 2 PICTURES logo.bmp|unexpected arguments: COLOURS;2"
  "PICTURES logo.png FIT fill|FIT fill; quillon-cli takes contain, cover, stretch, none"
  "PICTURES logo.png THRESHOLD 256|THRESHOLD 256; quillon-cli takes 0 to 255"
  "PICTURES logo.png ROTATE -90|ROTATE -90; quillon-cli takes 0, 90, 180, 270"
  "PICTURES anim.gif FRAMES 2|FRAMES 2; quillon-cli takes all"
)
for row in "${refused[@]}"; do
  call=${row%%|*}
  ! configure "$call" || fail "$call: the configuration passed"
  tr -s ' \n' ' ' <"$scratch/configure.log" | grep -qF "${row#*|}" ||
    fail "$call: the configuration did not say \"${row#*|}\": $(cat "$scratch/configure.log")"
done
echo "quillon_add_data: ${#rows[@]} calls passed on as expected, ${#refused[@]} refused"
