#!/usr/bin/env bash
# quillon-cli preview as git's textconv driver, set up as the README says: once
# two dots of a committed picture and of its listing are lit, "git diff" shows
# for each file two clear rows taken away and the two rows with their new dots.
set -euo pipefail
cli=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$(dirname "$0")/lib.sh"
export HOME=$scratch GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=Test GIT_AUTHOR_EMAIL=test@example.invalid
export GIT_COMMITTER_NAME=Test GIT_COMMITTER_EMAIL=test@example.invalid

# draw PERL: logo.bmp and lcd_logo.txt holding the 488 bytes the Perl code prints.
draw() {
  perl -e "$1" >"$scratch/table.bin"
  "$cli" convert --quiet -f bmp -o logo.bmp "$scratch/table.bin" && "$cli" convert --quiet logo.bmp
}
git init -q "$scratch/repo" && cd "$scratch/repo"
printf '%s\n' '*.bmp diff=quillon' 'lcd_*.txt diff=quillon' >.gitattributes
git config diff.quillon.textconv "$cli preview"
draw 'print "\0" x 488'
git add .gitattributes logo.bmp lcd_logo.txt && git commit -qm "all clear"
# Row 9, column 3: block 1, page 2, bit 1. Row 30, column 100: block 2, page 4, bit 6.
draw '$_ = "\0" x 488; substr($_, 61 + 3, 1) = "\x02"; substr($_, 244 + 3 * 61 + 39, 1) = "\x40"; print'
git diff >"$scratch/diff"

clear=$(printf '.%.0s' {1..122})
for file in logo.bmp lcd_logo.txt; do
  awk -v file="a/$file" '/^diff --git/ { shown = $3 == file } shown' "$scratch/diff" >"$scratch/section"
  [ "$(grep '^-[.#]' "$scratch/section")" = "$(printf -- '-%s\n-%s' "$clear" "$clear")" ] &&
    [ "$(grep '^+[.#]' "$scratch/section" | LC_ALL=C sort)" = "$(printf -- '+%s\n+%s' "...#${clear:4}" \
      "${clear:0:100}#${clear:101}")" ] || fail "git diff of $file does not show rows 9 and 30 changed: $(cat "$scratch/diff")"
done
echo "git diff shows the changed rows of dots of a picture and of its listing"
