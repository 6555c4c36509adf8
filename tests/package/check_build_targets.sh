#!/usr/bin/env bash
# What a plain build (./run, cpack's preinstall step) builds: every file an
# install puts in place (the programs, the compressed manual pages) and no test
# program, so that `cmake --install build` works right after ./run and a
# package is made without building the tests. Read from a fresh Ninja
# configuration's commands, so it takes seconds, not a build.
set -euo pipefail
source_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake -S "$source_dir" -B "$scratch/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log"; fail "the configuration failed"; }
ninja -C "$scratch/build" -t commands all >"$scratch/all" || fail "ninja cannot list the commands of all"
ninja -C "$scratch/build" -t commands install >"$scratch/install"

for made in "-o quillon " "-o quillon-cli " "quillon.1" "quillon-cli.1" "changelog"; do
  grep -qF -- "$made" "$scratch/all" || fail "a plain build does not make what installing needs: $made"
done
for test_program in "-o tests/[a-z/]*tst_" "-o fuzz/replay_" quillon_faults; do
  ! grep -q "$test_program" "$scratch/all" || fail "a plain build builds the test program $test_program"
  ! grep -q "$test_program" "$scratch/install" || fail "installing builds the test program $test_program"
done
ninja -C "$scratch/build" -t commands all_tests >"$scratch/tests"
grep -q -- "-o tests/[a-z/]*tst_" "$scratch/tests" || fail "all_tests does not build the tests"
echo "a plain build makes the programs and manual pages and no test program"
