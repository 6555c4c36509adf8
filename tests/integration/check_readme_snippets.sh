#!/usr/bin/env bash
# The user's guide's snippets are the example files themselves: each code
# block under "<!-- copied from FILE -->" in the README or a page of docs/
# must equal FILE, and the examples' build files must each have such a block.
set -euo pipefail
source_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$(dirname "$0")/lib.sh"

cd "$source_dir"
# "PAGE FILE" for each marker.
mapfile -t copied < <(grep -H '^<!-- copied from .* -->$' README.md docs/*.md |
  sed 's/^\([^:]*\):<!-- copied from \(.*\) -->$/\1 \2/')
for file in examples/cmake/CMakeLists.txt examples/cmake-sdcc/CMakeLists.txt examples/make/Makefile; do
  printf '%s\n' "${copied[@]}" | grep -q " $file\$" || fail "no page of the guide has a block copied from $file"
done
for entry in "${copied[@]}"; do
  page=${entry%% *} file=${entry#* }
  [ -f "$file" ] || fail "$page copies $file, which does not exist"
  # The lines between the fences that follow the marker.
  awk -v marker="<!-- copied from $file -->" '
    $0 == marker { found = 1; next }
    found == 1 && /^```/ { found = 2; next }
    found == 2 && /^```$/ { exit }
    found == 2 { print }' "$page" >"$scratch/block"
  diff -u "$file" "$scratch/block" >"$scratch/diff" ||
    fail "$page's copy of $file differs from the file (- file, + $page):
$(cat "$scratch/diff")"
done
echo "the guide's copies (${copied[*]}) are the files"
