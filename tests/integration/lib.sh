# Shared by the example projects' tests: sourced after setting $scratch.
fail() { echo "FAIL: $*"; exit 1; }

# When a file was last written, to the nanosecond.
mtime() { stat -c %y "$1"; }

# Every file under a folder an hour old, so that whatever a build writes is newer.
age() { find "$1" -type f -exec touch -d '-1 hour' {} +; }

# A picture redrawn: every pixel turned over (the rows start at byte 62), so
# every dot of its listing turns over too; written now, so newer than anything
# built from it.
invert_picture() {
  perl -0777 -pi -e 'substr($_, 62) ^= "\xff" x (length($_) - 62)' "$1"
}

# expect_listing CLI PICTURE FILE: FILE holds what quillon-cli prints for PICTURE.
expect_listing() {
  "$1" convert -o - "$2" >"$scratch/expected" || fail "quillon-cli refuses $2"
  cmp -s "$scratch/expected" "$3" || fail "$3 is not the listing of $2"
}

# run LOG COMMAND...: runs the command with its output in LOG, shown if it fails.
run() {
  local log=$1
  shift
  local status=0
  "$@" >"$log" 2>&1 || status=$?
  [ "$status" -eq 0 ] || { cat "$log"; fail "$* ended with status $status"; }
}
