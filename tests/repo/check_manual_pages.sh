#!/usr/bin/env bash
# The manual pages are true to the programs: both render without a warning;
# every option quillon-cli(1) documents is one the tool takes, and every option
# its --help lists is documented; its EXAMPLES run as written, in order, in a
# folder with pictures; every caption, message and key quillon(1) names in
# bold is one the window has.
#
#   check_manual_pages.sh SOURCE_DIR QUILLON-CLI
set -euo pipefail
source_dir=$1
cli=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

for page in quillon quillon-cli; do
  MANWIDTH=200 man --warnings -E ascii -l "$source_dir/docs/$page.1" >"$scratch/$page.txt" 2>"$scratch/warnings" ||
    fail "man cannot show $page.1"
  [ ! -s "$scratch/warnings" ] || fail "$page.1: $(cat "$scratch/warnings")"
done

options() { grep -o -- '--[a-z][a-z0-9-]*' | sort -u; }
documented=$(options <"$scratch/quillon-cli.txt")
commands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/{s/^  \([a-z]*\) .*/\1/p}')
taken=$(for command in "" $commands; do "$cli" $command --help; done | options)
[ "$documented" = "$taken" ] ||
  fail "quillon-cli(1) and --help list other options (< page, > --help): $(diff <(echo "$documented") <(echo "$taken"))"

# The examples, in a folder with a picture, a logo and a photo, a folder of
# pictures whose listings are up to date, and a firmware folder with the
# drivers of examples/firmware.
work=$scratch/work
mkdir -p "$work/pictures" "$work/firmware" "$scratch/bin"
ln -s "$cli" "$scratch/bin/quillon-cli"
picture=$source_dir/fuzz/corpus/bitmap_reader/accepted-40.bmp
cp "$picture" "$work/logo.bmp"
cp "$source_dir/docs/dither/logo.png" "$source_dir/docs/dither/photo.jpg" "$work/"
cp "$picture" "$work/pictures/a.bmp"
cp "$picture" "$work/pictures/b.bmp"
"$cli" convert --quiet "$work"/pictures/*.bmp
# The firmware the glass examples run, showing the logo and playing a
# two-frame animation (sdcc, sdcc-ucsim).
convert -size 122x32 -delay 50 xc:white -delay 50 xc:black "$work/anim.gif"
for goal in "all PICTURE=$work/logo.bmp" "animation PICTURE=$work/anim.gif"; do
  # shellcheck disable=SC2086
  make -s -C "$source_dir/examples/firmware" BUILD="$work/firmware" $goal QUILLON_CLI="$cli" \
    >"$scratch/make.log" 2>&1 || fail "examples/firmware does not build: $(cat "$scratch/make.log")"
done
# The fonts the text and font examples name (fonts-dejavu-core, xfonts-base).
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/X11/misc/6x13.pcf.gz "$work/"
examples=$(sed -n '/^EXAMPLES$/,/^[A-Z]/{/^ /p}' "$scratch/quillon-cli.txt" | sed 's/^ *//')
[ -n "$examples" ] || fail "quillon-cli(1) shows no examples"
while IFS= read -r example; do
  (cd "$work" && PATH=$scratch/bin:$PATH bash -c "$example") >"$scratch/out" 2>&1 ||
    fail "the example '$example' failed: $(cat "$scratch/out")"
done <<<"$examples"

# Bold names in the window's sections: captions and messages are strings of
# the window's sources; keys are pressed by the window tests.
sources=$(cat "$source_dir"/src/{app,intake,convert,preview}/*.{cpp,h})
keys=$(cat "$source_dir"/tests/app/*.cpp "$source_dir"/tests/preview/*.cpp)
names=$(awk '/^\.SH THE MAIN WINDOW/,/^\.SH THE LISTING/' "$source_dir/docs/quillon.1" |
  sed -n 's/^\.B \(.*\)$/\1/p; s/^\.BR \("[^"]*"\|[^ ]*\).*$/\1/p' | tr -d '"' | sort -u)
while IFS= read -r name; do
  grep -qF "\"$name" <<<"$sources" || grep -qF "Qt::Key_$name" <<<"$keys" ||
    fail "quillon(1) names \"$name\", which the window does not have"
done <<<"$names"
echo "manual pages: $(wc -l <<<"$taken") options, $(wc -l <<<"$examples") examples, $(wc -l <<<"$names") window names checked"
