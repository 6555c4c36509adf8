#!/usr/bin/env bash
# fuzz/run and bench/run: --help prints the usage and builds nothing; an unknown
# option is refused the same way. Each script runs from a copy in an empty tree,
# with a cmake that records being called, so a build it started would show.
set -euo pipefail
source_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir "$scratch/bin"
printf '#!/bin/sh\ntouch "%s/cmake-called"\nexit 1\n' "$scratch" >"$scratch/bin/cmake"
chmod +x "$scratch/bin/cmake"

for script in fuzz/run bench/run; do
  tree=$scratch/tree
  rm -rf "$tree" && mkdir -p "$tree/$(dirname "$script")"
  cp "$source_dir/$script" "$tree/$script"
  # Every variable the script reads with a default must be explained.
  mapfile -t variables < <(grep -o '\${[A-Z_]*:-' "$tree/$script" | tr -d '${:-' | sort -u)

  for option in --help -h; do
    status=0
    (cd "$tree" && PATH=$scratch/bin:$PATH "./$script" "$option") >"$scratch/out" 2>"$scratch/err" || status=$?
    [ "$status" -eq 0 ] || fail "$script $option: exit status $status; stderr: $(cat "$scratch/err")"
    head -1 "$scratch/out" | grep -q "^Usage: $script" || fail "$script $option: no usage line: $(head -1 "$scratch/out")"
    [ ! -s "$scratch/err" ] || fail "$script $option wrote to stderr: $(cat "$scratch/err")"
    for variable in "${variables[@]}"; do
      grep -q "$variable" "$scratch/out" || fail "$script $option: the usage does not mention $variable"
    done
  done

  status=0
  (cd "$tree" && PATH=$scratch/bin:$PATH "./$script" --no-such-option) >"$scratch/out" 2>"$scratch/err" || status=$?
  [ "$status" -eq 64 ] || fail "$script --no-such-option: exit status $status, not 64"
  grep -q "^Usage: $script" "$scratch/err" || fail "$script --no-such-option: no usage on stderr"

  [ ! -e "$scratch/cmake-called" ] || fail "$script ran cmake"
  leftovers=$(cd "$tree" && find . -mindepth 1 ! -path "./$(dirname "$script")" ! -path "./$script")
  [ -z "$leftovers" ] || fail "$script left behind: $leftovers"
  echo "$script: usage printed (${#variables[@]} variables explained), nothing built"
done
