#!/usr/bin/env bash
# The format table inside quillon-cli is the one list of formats: every other
# list of them (bash completion, quillon_add_data's FORMAT check, the manual
# page, the README's table) names the same formats with the same extensions,
# so a new format cannot be forgotten in one of them.
#
#   check_format_lists.sh SOURCE_DIR QUILLON-CLI
set -euo pipefail
source_dir=$1
cli=$2
fail() { echo "FAIL: $*"; exit 1; }

# "name extension" lines, in the tool's order.
tool=$("$cli" convert --help | sed -n 's/^  \([a-z0-9]*\) *lcd_<[a-z]*>\(\.[a-z0-9]*\) .*/\1 \2/p')
[ "$(wc -l <<<"$tool")" -ge 7 ] || fail "convert --help lists no formats: $tool"
names=$(cut -d' ' -f1 <<<"$tool")

# compare WHERE LIST: LIST must be the tool's (names only, or names and extensions).
compare() {
  local expected=$tool
  [[ $2 == *" "* ]] || expected=$names
  [ "$2" = "$expected" ] || fail "$1 lists other formats than quillon-cli (< theirs, > the tool's):
$(diff <(echo "$2") <(echo "$expected"))"
}

compare "the bash completion" "$(sed -n 's/.*-W "\(listing[^"]*\)".*/\1/p' "$source_dir/data/quillon-cli.bash" | tr ' ' '\n')"
compare "quillon_add_data()" "$(sed -n 's/^ *set(extensions \(.*\))$/\1/p' "$source_dir/cmake/QuillonData.cmake" |
  tr ' ' '\n' | tr '=' ' ')"
compare "quillon-cli(1)" "$(awk '/^\.SH FORMATS/,/^\.SH READING/' "$source_dir/docs/quillon-cli.1" |
  sed -n '/^\.B [a-z0-9]*$/{s/^\.B //;N;s/\n\.IR lcd_<[a-z]*>\(\.[a-z0-9]*\).*/ \1/p}')"
# The README's table is of the formats for firmware: every one but the listing.
readme=$(sed -n 's/^| `\([a-z0-9]*\)` | `lcd_<[a-z]*>\(\.[a-z0-9]*\)` |.*/\1 \2/p' "$source_dir/README.md")
compare "the README's table" "$(printf 'listing .txt\n%s' "$readme")"
echo "the completion, quillon_add_data(), quillon-cli(1) and the README list the tool's $(wc -l <<<"$names") formats"
