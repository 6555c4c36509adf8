#!/usr/bin/env bash
# The README's firmware-build snippets are the example files themselves: each
# code block under "<!-- copied from FILE -->" must equal FILE, and the
# examples' build files must each have such a block.
set -euo pipefail
source_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$(dirname "$0")/lib.sh"

readme=$source_dir/README.md
mapfile -t copied < <(sed -n 's/^<!-- copied from \(.*\) -->$/\1/p' "$readme")
for file in examples/cmake/CMakeLists.txt examples/cmake-sdcc/CMakeLists.txt examples/make/Makefile; do
  printf '%s\n' "${copied[@]}" | grep -qxF "$file" || fail "the README has no block copied from $file"
done
for file in "${copied[@]}"; do
  [ -f "$source_dir/$file" ] || fail "the README copies $file, which does not exist"
  # The lines between the fences that follow the marker.
  awk -v marker="<!-- copied from $file -->" '
    $0 == marker { found = 1; next }
    found == 1 && /^```/ { found = 2; next }
    found == 2 && /^```$/ { exit }
    found == 2 { print }' "$readme" >"$scratch/block"
  diff -u "$source_dir/$file" "$scratch/block" >"$scratch/diff" ||
    fail "the README's copy of $file differs from the file (- file, + README):
$(cat "$scratch/diff")"
done
echo "the README's copies of ${copied[*]} are the files"
