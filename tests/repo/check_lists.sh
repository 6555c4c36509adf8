#!/usr/bin/env bash
# quillon-cli's tables are the one list of its formats, kinds of picture and
# option words (`quillon-cli formats`); every list kept outside the code is
# held to them here, and every difference found is named, not only the first:
# quillon_add_data()'s formats, picture endings and choices, the fuzz targets
# and their corpora, the manual page's and the README's tables.
#
#   check_lists.sh SOURCE_DIR QUILLON-CLI
set -euo pipefail
source_dir=$1
cli=$2
differences=0

# differ WHERE THEIRS THE-TOOLS: names a difference between two lists.
differ() {
  if [ "$2" != "$3" ]; then
    echo "DIFFERENT: $1 (< there, > quillon-cli):"
    diff <(echo "$2") <(echo "$3") | grep '^[<>]' || true
    differences=$((differences + 1))
  fi
}
lines() { tr ' ' '\n' | sed '/^$/d'; }

# The tool's lists.
listing=$("$cli" formats)
tables=$(sed -n '/^Tables/,/^$/s/^  \([a-z0-9]*\) *\(\.[a-z0-9]*\) .*/\1 \2/p' <<<"$listing")
names=$(cut -d' ' -f1 <<<"$tables")
kinds=$("$cli" formats --names pictures)
# Endings named by the window's rule (a BMP's), and the rest.
window_endings=$(sed -n '/^Pictures/,$s/^  BMP *//p' <<<"$listing" | lines)
other_endings=$(sed -n '/^Pictures/,${/^  BMP /d;s/^  [A-Z]* *//p}' <<<"$listing" | lines)
[ "$(wc -l <<<"$names")" -ge 7 ] && [ "$(wc -l <<<"$kinds")" -ge 5 ] && [ -n "$window_endings" ] ||
  { echo "FAIL: quillon-cli formats lists too little: $listing"; exit 1; }

# quillon_add_data(): formats and their endings, the endings a picture's
# listing is named by its stem for, and the choices of the picture options.
data=$source_dir/cmake/QuillonData.cmake
differ "quillon_add_data()'s formats" "$(sed -n 's/^ *set(extensions \(.*\))$/\1/p' "$data" | lines | tr '=' ' ')" "$tables"
differ "quillon_add_data()'s picture endings" \
  "$(sed -n 's/.*NOT last MATCHES "^[\\]*\.(\([a-z|]*\))\$".*/\1/p' "$data" | tr '|' '\n' | sed 's/^/./')" \
  "$other_endings"
for option in fit background dither flip rotate; do
  differ "quillon_add_data()'s ${option^^} choices" \
    "$(grep -o "${option^^} \"[^\"]*\"" "$data" | head -n 1 | sed 's/.* "\(.*\)"/\1/' | tr '|' '\n')" \
    "$("$cli" formats --names "$option")"
done

# The fuzz targets, a reader each format and a decoder each kind, and a seed
# corpus each.
fuzz=$source_dir/fuzz/CMakeLists.txt
differ "the fuzz targets' formats" "$(sed -n 's/^set(QUILLON_FUZZ_FORMATS \(.*\))$/\1/p' "$fuzz" | lines)" "$names"
differ "the fuzz targets' kinds" "$(sed -n 's/^set(QUILLON_FUZZ_KINDS \(.*\))$/\1/p' "$fuzz" | lines)" \
  "$(tr 'A-Z' 'a-z' <<<"$kinds")"
for target in $(sed 's/^/read_/' <<<"$names") $(tr 'A-Z' 'a-z' <<<"$kinds" | sed 's/^/decode_/'); do
  [ -n "$(ls -A "$source_dir/fuzz/corpus/$target" 2>/dev/null)" ] ||
    { echo "DIFFERENT: fuzz/corpus/$target/ holds no seed (fuzz/make-corpus makes them)"; differences=$((differences + 1)); }
done

# quillon-cli(1): its FORMATS section and the kinds and endings of PICTURES.
page=$source_dir/docs/quillon-cli.1
differ "quillon-cli(1)'s FORMATS" "$(awk '/^\.SH FORMATS/,/^\.SH READING/' "$page" |
  sed -n '/^\.B [a-z0-9]*$/{s/^\.B //;N;s/\n\.IR lcd_<[a-z]*>\(\.[a-z0-9]*\).*/ \1/p}')" "$tables"
pictures=$(awk '/^\.SH PICTURES/,/^\.TP/' "$page" | tr '\n' ' ')
for word in $kinds $other_endings; do
  grep -qw -- "$word" <<<"$pictures" ||
    { echo "DIFFERENT: quillon-cli(1)'s PICTURES does not name $word"; differences=$((differences + 1)); }
done

# The README's table of formats (for firmware: every one but the listing).
readme=$(sed -n 's/^| `\([a-z0-9]*\)` | `lcd_<[a-z]*>\(\.[a-z0-9]*\)` |.*/\1 \2/p' "$source_dir/README.md")
differ "the README's table of formats" "$(printf 'listing .txt\n%s' "$readme")" "$tables"

if [ "$differences" -gt 0 ]; then
  echo "FAIL: $differences lists differ from quillon-cli's"
  exit 1
fi
echo "quillon_add_data(), the fuzz targets, quillon-cli(1) and the README list the tool's $(wc -l <<<"$names") formats and $(wc -l <<<"$kinds") kinds"
