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
    _quillon_cli || true  # compgen fails when nothing fits; bash runs completions without -e
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//')
    if [ "$got" != "$expected" ]; then
        echo "FAIL: quillon-cli ${*:2}: offered [$got], expected [$expected]"
        failures=$((failures + 1))
    fi
}

# The command run is the one named first on the line, as bash gives it.
offers "convert font formats glass preview text" "$cli" ""
offers "--help --version" "$cli" -
offers "--format" "$cli" convert --fo
offers "a51 as31" "$cli" convert --format a
offers "bin bmp" "$cli" convert -f b
offers "a51 as31 bin bmp c listing sdas" "$cli" convert --format = ""
offers "a51 as31" "$cli" convert --format = a
offers "--format=a51 --format=as31" "$cli" convert --format=a
offers "lcd_logo.txt" "$cli" convert --output = lcd
offers "lcd_logo.txt logo.bmp" "$cli" convert ""
offers "logo.bmp" "$cli" convert --inverse lo
offers "lcd_logo.txt" "$cli" convert -o lcd
offers "lcd_logo.txt" "$cli" preview lc
offers "" "$cli" convert --label ""
offers "c" "$cli" font -f c
offers "a51 as31" "$cli" font --format a
offers "center" "$cli" text --align c
offers "bottom" "$cli" text --valign b
mkdir fonts && touch fonts/sans.ttf fonts/fixed.pcf.gz
offers "fonts/fixed.pcf.gz fonts/sans.ttf" "$cli" text --font fonts/
offers "logo.bmp" "$cli" text --onto lo
offers "--size" "$cli" font --s
offers "" "$cli" text ""
offers "cover" "$cli" convert --fit cov
offers "floyd-steinberg" "$cli" preview --dither f
offers "0 180 270 90" "$cli" convert --rotate ""
offers "black white" "$cli" convert --background ""
offers "h v" "$cli" preview --flip ""
offers "--png" "$cli" preview --pn
offers "lcd_logo.txt" "$cli" preview --png lc
offers "" "$cli" convert --threshold ""
offers "pictures" "$cli" formats --names pi
offers "--e1 --e2 --expect" "$cli" glass --e
offers "logo.bmp" "$cli" glass --expect lo
offers "fonts lcd_logo.txt logo.bmp" "$cli" glass ""
offers "" "$cli" glass --clock ""

# Every option a command's help lists is offered, and each value offered for
# a choice is taken.
commands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z]*\) .*/\1/p')
for command in $commands; do
    help=$("$cli" "$command" --help)
    offered=$(COMP_WORDS=("$cli" "$command" -); COMP_CWORD=2; _quillon_cli || true; printf '%s\n' "${COMPREPLY[@]}")
    for option in $(grep -oE -- '^  (-[a-z],)?--[a-z][a-z0-9-]*' <<<"$help" | sed 's/.*,//; s/^ *//'); do
        grep -qx -- "$option" <<<"$offered" || { echo "FAIL: $command $option is not offered"; failures=$((failures + 1)); }
    done
done

[ "$failures" -eq 0 ] && echo "bash completion: all offers as expected"
exit "$failures"
