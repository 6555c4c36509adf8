#!/usr/bin/env bash
# Every quillon-cli command the README shows in its sh blocks, and its builds
# of examples/firmware, run as written, in order, in a folder holding the files
# they name: each must end with 0 and write the file its -o (or --png, --gif)
# names.
#
#   check_readme_commands.sh SOURCE_DIR QUILLON-CLI
set -euo pipefail
source_dir=$1
cli=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$(dirname "$0")/lib.sh"

# The README's commands: lines of its sh blocks that start quillon-cli or
# build examples/firmware.
mapfile -t commands < <(awk '/^```sh$/ { inside = 1; next } /^```$/ { inside = 0 } inside' "$source_dir/README.md" |
  grep -E '^(quillon-cli |make -C examples/firmware )')
[ "${#commands[@]}" -ge 20 ] || fail "the README shows only ${#commands[@]} quillon-cli commands"

# What they read: a logo and a photo, as PNG, JPEG and exact BMP, folders of
# BMP pictures (those under pictures/ with their listings), a two-frame GIF and
# a bitmap font, and a copy of examples/firmware.
mkdir -p "$scratch/bin" "$scratch/icons" "$scratch/pictures" "$scratch/fw" "$scratch/examples"
cp -r "$source_dir/examples/firmware" "$scratch/examples/"
ln -s "$cli" "$scratch/bin/quillon-cli"
export PATH=$scratch/bin:$PATH
cd "$scratch"
cp "$source_dir/docs/dither/logo.png" logo.png
cp "$source_dir/docs/dither/photo.jpg" photo.jpg
quillon-cli convert --quiet -f bmp -o logo.bmp logo.png
quillon-cli convert --quiet -f bmp -o icons/arrow.bmp photo.jpg
quillon-cli convert --quiet -f bmp -o pictures/splash.bmp --inverse logo.png
quillon-cli convert --quiet pictures/splash.bmp
convert -delay 20 -size 122x32 xc:white \( -size 122x32 xc:white -fill black -draw 'rectangle 10,4 40,28' \) \
  spinner.gif
cp spinner.gif ball.gif
ln -s /usr/share/fonts/X11/misc/6x13.pcf.gz 6x13.pcf.gz

for command in "${commands[@]}"; do
  command=${command%%#*}
  status=0
  bash -c "$command" >"$scratch/out" 2>&1 </dev/null || status=$?
  [ "$status" -eq 0 ] || { cat "$scratch/out"; fail "the README's \`$command\` ended with status $status"; }
  written=$(sed -n 's/.* \(-o\|--output\|--png\|--gif\) \([^ -][^ ]*\) .*/\2/p' <<<"$command ")
  [ -z "$written" ] || [ -s "$written" ] || fail "the README's \`$command\` wrote no $written"
done
echo "the README's ${#commands[@]} commands ran"
