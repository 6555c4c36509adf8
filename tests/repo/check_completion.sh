#!/usr/bin/env bash
# The bash completion of quillon-cli, as bash calls it: what it offers after
# each kind of word, checked against what the tool itself takes.
#
#   check_completion.sh SOURCE_DIR QUILLON-CLI
set -euo pipefail
source_dir=$1
cli=$(realpath "$2")
. "$source_dir/data/quillon-cli.bash"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
touch logo.bmp lcd_logo.txt

failures=0
# offers "WORDS..." EXPECTED: completes the last word of the line as bash would.
offers() {
    local expected=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _quillon_cli
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//')
    if [ "$got" != "$expected" ]; then
        echo "FAIL: quillon-cli ${*:2}: offered [$got], expected [$expected]"
        failures=$((failures + 1))
    fi
}

offers "convert font glass preview text" quillon-cli ""
offers "--help --version" quillon-cli -
offers "--format" quillon-cli convert --fo
offers "a51 as31" quillon-cli convert --format a
offers "bin bmp" quillon-cli convert -f b
offers "a51 as31 bin bmp c listing sdas" quillon-cli convert --format = ""
offers "a51 as31" quillon-cli convert --format = a
offers "--format=a51 --format=as31" quillon-cli convert --format=a
offers "lcd_logo.txt" quillon-cli convert --output = lcd
offers "lcd_logo.txt logo.bmp" quillon-cli convert ""
offers "logo.bmp" quillon-cli convert --inverse lo
offers "lcd_logo.txt" quillon-cli convert -o lcd
offers "lcd_logo.txt" quillon-cli preview lc
offers "" quillon-cli convert --label ""
offers "c" quillon-cli font -f c
offers "a51 as31" quillon-cli font --format a
offers "center" quillon-cli text --align c
offers "bottom" quillon-cli text --valign b
mkdir fonts && touch fonts/sans.ttf fonts/fixed.pcf.gz fonts/notes.txt
offers "fonts/fixed.pcf.gz fonts/sans.ttf" quillon-cli text --font fonts/
offers "--size" quillon-cli font --s
offers "" quillon-cli text ""
offers "cover" quillon-cli convert --fit cov
offers "floyd-steinberg" quillon-cli preview --dither f
offers "0 180 270 90" quillon-cli convert --rotate ""
offers "black white" quillon-cli convert --background ""
offers "h v" quillon-cli preview --flip ""
offers "--png" quillon-cli preview --pn
offers "lcd_logo.txt" quillon-cli preview --png lc
offers "" quillon-cli convert --threshold ""
offers "port" quillon-cli glass --wiring p
offers "P3.0 P3.1 P3.2 P3.3 P3.4 P3.5 P3.6 P3.7" quillon-cli glass --wiring port --e1 P3.
offers "P1" quillon-cli glass --data P1
offers "--e1 --e2 --expect" quillon-cli glass --e
offers "logo.bmp" quillon-cli glass --expect lo
offers "" quillon-cli glass --clock ""

# Every option offered is one the tool knows, and every format one it writes.
help=$("$cli" convert --help)
for option in --format --label --inverse --check --output --quiet --fit --background --dither --threshold --rotate \
    --flip --frame; do
    grep -q -- "$option" <<<"$help" || { echo "FAIL: $option is offered but not in convert --help"; failures=$((failures + 1)); }
done
preview_help=$("$cli" preview --help)
for option in --inverse --png --scale --fit --background --dither --threshold --rotate --flip --frame; do
    grep -q -- "$option" <<<"$preview_help" || { echo "FAIL: $option is offered but not in preview --help"; failures=$((failures + 1)); }
done
# Every choice offered is one the tool takes.
for choice in "--fit contain" "--fit cover" "--fit stretch" "--fit none" "--background white" "--background black" \
    "--dither none" "--dither floyd-steinberg" "--dither atkinson" "--dither bayer" "--rotate 0" "--rotate 90" \
    "--rotate 180" "--rotate 270" "--flip h" "--flip v"; do
    # shellcheck disable=SC2086
    "$cli" convert $choice --help >/dev/null || { echo "FAIL: $choice is offered but refused"; failures=$((failures + 1)); }
done
for format in listing a51 as31 sdas c bin bmp; do
    "$cli" convert --format "$format" -o /dev/null --help >/dev/null || {
        echo "FAIL: --format $format is offered but refused"; failures=$((failures + 1)); }
done
grep -q "{listing,a51,as31,sdas,c,bin,bmp}" <<<"$help" || { echo "FAIL: the tool's formats are not the ones offered"; failures=$((failures + 1)); }

# The text, font and glass commands take every option offered, and font every format.
for command in text font glass; do
    help=$("$cli" "$command" --help)
    for option in $(COMP_WORDS=(quillon-cli "$command" -); COMP_CWORD=2; _quillon_cli; echo "${COMPREPLY[@]}"); do
        grep -q -- "$option" <<<"$help" || { echo "FAIL: $option is offered but not in $command --help"; failures=$((failures + 1)); }
    done
done
grep -q "{c,a51,as31,sdas,bin}" <<<"$("$cli" font --help)" || { echo "FAIL: font's formats are not the ones offered"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "bash completion: all offers as expected"
exit "$failures"
