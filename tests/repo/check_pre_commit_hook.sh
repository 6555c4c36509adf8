#!/usr/bin/env bash
# .pre-commit-hooks.yaml: pre-commit's own validator accepts it; the hook, in
# real commits of a repository with pictures, refuses a commit while a
# picture's data file is missing or stale (naming it), in the listing format
# or the one its args give, also when the commit edits or deletes only a
# generated file; and the README's configuration works as written, its rev
# included.
set -euo pipefail
source_dir=$1
cli_dir=$2  # where quillon-cli is
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

export PRE_COMMIT_HOME=$scratch/cache PATH=$cli_dir:$PATH
export GIT_AUTHOR_NAME=Quillon GIT_AUTHOR_EMAIL=quillon@example.org GIT_COMMITTER_NAME=Quillon \
  GIT_COMMITTER_EMAIL=quillon@example.org
git_quiet() { git -c init.defaultBranch=main "$@" >/dev/null 2>&1; }

pre-commit validate-manifest "$source_dir/.pre-commit-hooks.yaml" || fail "pre-commit rejects .pre-commit-hooks.yaml"

# The hooks' repository: the manifest and the hook's script, committed.
hooks=$scratch/hooks
git_quiet init "$hooks"
mkdir "$hooks/scripts"
cp "$source_dir/.pre-commit-hooks.yaml" "$hooks/"
cp "$source_dir/scripts/quillon-pre-commit" "$hooks/scripts/"
git_quiet -C "$hooks" add . && git_quiet -C "$hooks" commit -m hooks
hooks_rev=$(git -C "$hooks" rev-parse HEAD)

# firmware_repository DIR REPO REV [ARG...]: a repository whose commits run the
# hook: two pictures, one named in capitals, and a text file.
firmware_repository() {
  local dir=$1 repo=$2 rev=$3
  shift 3
  git_quiet init "$dir"
  mkdir "$dir/icons"
  picture=$source_dir/fuzz/corpus/bitmap_reader/accepted-40.bmp
  cp "$picture" "$dir/logo.bmp"
  cp "$picture" "$dir/icons/ARROW.BMP"
  echo "not a picture" >"$dir/notes.txt"
  local args=""
  [ $# -gt 0 ] && args=$(printf ', "%s"' "$@") && args="        args: [${args#, }]"
  printf 'repos:\n  - repo: %s\n    rev: %s\n    hooks:\n      - id: quillon-check\n%s\n' "$repo" "$rev" "$args" \
    >"$dir/.pre-commit-config.yaml"
  (cd "$dir" && pre-commit install >/dev/null) || fail "pre-commit install failed"
}

# commit DIR EXPECTED MESSAGE: commits everything; EXPECTED is pass or refused.
commit() {
  local status=0
  git -C "$1" add -A
  git -C "$1" commit -q -m "$3" >"$scratch/out" 2>&1 || status=$?
  case $2 in
    pass) [ "$status" -eq 0 ] || { cat "$scratch/out"; fail "$3: the commit was refused"; } ;;
    refused) [ "$status" -ne 0 ] || fail "$3: the commit passed" ;;
  esac
}

# The listing format: a missing listing and a stale one are named; the text
# file is never handed to quillon-cli.
repo=$scratch/listings
firmware_repository "$repo" "$hooks" "$hooks_rev"
(cd "$repo" && quillon-cli convert --inverse icons/ARROW.BMP >/dev/null)
commit "$repo" refused "pictures without their listings"
grep -q "lcd_logo.txt: missing" "$scratch/out" || fail "a missing listing is not named: $(cat "$scratch/out")"
grep -q "lcd_ARROW.txt: out of date" "$scratch/out" || fail "a stale listing is not named: $(cat "$scratch/out")"
grep -q "notes.txt" "$scratch/out" && fail "a file that is no picture was checked: $(cat "$scratch/out")"
(cd "$repo" && quillon-cli convert logo.bmp icons/ARROW.BMP >/dev/null)
commit "$repo" pass "pictures with their listings"

# A project that keeps C headers: its format from the hook's args. A commit
# that edits, or deletes, only a generated file is refused too.
repo=$scratch/headers
firmware_repository "$repo" "$hooks" "$hooks_rev" --format c
(cd "$repo" && quillon-cli convert --format c logo.bmp icons/ARROW.BMP >/dev/null)
commit "$repo" pass "pictures with their headers"
echo "/* edited */" >>"$repo/lcd_logo.h"
commit "$repo" refused "a generated header edited alone"
grep -q "lcd_logo.h: out of date" "$scratch/out" || fail "an edited header is not named: $(cat "$scratch/out")"
git -C "$repo" checkout -q -- lcd_logo.h
git -C "$repo" rm -q icons/lcd_ARROW.h
commit "$repo" refused "a generated header deleted alone"
grep -q "lcd_ARROW.h: missing" "$scratch/out" || fail "a deleted header is not named: $(cat "$scratch/out")"

# The README's configuration, with its repository's address turned into this
# source folder: its rev must name a revision there that has the hook.
readme_config=$(awk '/^```yaml$/ { found = 1; next } found && /^```$/ { exit } found { print }' "$source_dir/README.md")
readme_rev=$(sed -n 's/^ *rev: *//p' <<<"$readme_config")
[ -n "$readme_rev" ] || fail "the README shows no rev"
if [ -z "$(git -C "$source_dir" tag -l 2>/dev/null)" ]; then
  # A tarball, or a clone made without tags: the rev cannot be looked up here.
  echo "no tags in this checkout: the README's rev $readme_rev is not tried"
else
  git -C "$source_dir" rev-parse -q --verify "$readme_rev^{commit}" >/dev/null ||
    fail "the README's rev $readme_rev names no revision of this repository"
  repo=$scratch/readme
  firmware_repository "$repo" "$source_dir" "$readme_rev"
  sed "s|^\( *- repo: \).*|\1$source_dir|" <<<"$readme_config" >"$repo/.pre-commit-config.yaml"
  (cd "$repo" && quillon-cli convert logo.bmp icons/ARROW.BMP >/dev/null)
  commit "$repo" pass "the README's configuration"
fi
echo "pre-commit hook ok"
