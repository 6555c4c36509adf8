#!/usr/bin/env bash
# .pre-commit-hooks.yaml: pre-commit's own validator accepts it, and the hook,
# tried from a repository of its own on a repository with pictures, passes when
# every picture's listing is up to date and fails, naming the picture, when one
# is missing or stale. Files other than pictures are never handed to it.
set -euo pipefail
source_dir=$1
cli_dir=$2  # where quillon-cli is
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

export PRE_COMMIT_HOME=$scratch/cache PATH=$cli_dir:$PATH
git_quiet() { git -c user.name=Quillon -c user.email=quillon@example.org -c init.defaultBranch=main "$@" >/dev/null; }

pre-commit validate-manifest "$source_dir/.pre-commit-hooks.yaml" || fail "pre-commit rejects .pre-commit-hooks.yaml"

# The hooks' repository: only the manifest, committed.
git_quiet init "$scratch/hooks"
cp "$source_dir/.pre-commit-hooks.yaml" "$scratch/hooks/"
git_quiet -C "$scratch/hooks" add . && git_quiet -C "$scratch/hooks" commit -m hooks

# A firmware repository: two pictures, one named in capitals, and a text file
# that quillon-cli would refuse as a picture.
firmware=$scratch/firmware
git_quiet init "$firmware"
mkdir "$firmware/icons"
picture=$source_dir/fuzz/corpus/bitmap_reader/accepted-40.bmp
cp "$picture" "$firmware/logo.bmp"
cp "$picture" "$firmware/icons/ARROW.BMP"
echo "not a picture" >"$firmware/notes.txt"

# run_hook EXPECTED_STATUS: the hook over every file of the firmware repository.
run_hook() {
  git_quiet -C "$firmware" add -A
  local status=0
  (cd "$firmware" && pre-commit try-repo "$scratch/hooks" quillon-check --all-files) >"$scratch/out" 2>&1 || status=$?
  [ "$status" -eq "$1" ] || { cat "$scratch/out"; fail "the hook ended with $status, not $1"; }
}

# logo.bmp has no listing, icons/ARROW.BMP a stale one.
(cd "$firmware" && quillon-cli convert --inverse icons/ARROW.BMP >/dev/null)
run_hook 1
grep -q "logo.bmp" "$scratch/out" || fail "a missing listing is not named: $(cat "$scratch/out")"
grep -q "ARROW.BMP" "$scratch/out" || fail "a stale listing of a picture named in capitals is not named: $(cat "$scratch/out")"
grep -q "notes.txt" "$scratch/out" && fail "a file that is no picture was handed to the hook: $(cat "$scratch/out")"

(cd "$firmware" && quillon-cli convert logo.bmp icons/ARROW.BMP >/dev/null)
run_hook 0
echo "pre-commit hook ok"
