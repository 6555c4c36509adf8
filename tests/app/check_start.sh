#!/usr/bin/env bash
# The window's program from a shell: --help and --version answer without a
# window; with no display to open one on it says so in one line, status 1,
# whether no display is named or the one named is not there.
#
#   check_start.sh QUILLON
set -euo pipefail
quillon=$1
fail() { echo "FAIL: $*"; exit 1; }
plain() { env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$@"; }

for option in --help -h; do
  out=$(plain "$quillon" "$option") || fail "$option: status $?"
  grep -q "^Usage: quillon \[PICTURE\]" <<<"$out" || fail "$option printed: $out"
done
[ "$(plain "$quillon" --version)" = "quillon $2" ] || fail "--version printed: $(plain "$quillon" --version)"

for display in "" ":97"; do
  status=0
  err=$(plain ${display:+DISPLAY=$display} "$quillon" 2>&1 >/dev/null) || status=$?
  [ "$status" -eq 1 ] || fail "DISPLAY=\"$display\": status $status, not 1; it said: $err"
  [ "$(wc -l <<<"$err")" -eq 1 ] || fail "DISPLAY=\"$display\": more than one line: $err"
  grep -q "^quillon: no" <<<"$err" || fail "DISPLAY=\"$display\": $err"
done
echo "quillon: --help and --version answer, and no display is said in one line"
