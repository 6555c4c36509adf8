#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and runs what it installed.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log") || { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/out/quillon_*.deb)

depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins fonts-liberation; do
  grep -q "$needed" <<<"$depends" || { echo "Depends lacks $needed: $depends"; exit 1; }
done

dpkg -x "$deb" "$scratch/root"
usr=$scratch/root/usr
for file in bin/quillon bin/quillon-cli share/applications/quillon.desktop share/man/man1/quillon-cli.1 \
            share/icons/hicolor/16x16/apps/quillon.png share/icons/hicolor/48x48/apps/quillon.png; do
  [ -e "$usr/$file" ] || { echo "missing from the package: /usr/$file"; exit 1; }
done
desktop-file-validate "$usr/share/applications/quillon.desktop"

version=$("$usr/bin/quillon-cli" --version)
grep -q "0\.1" <<<"$version" || { echo "unexpected version: $version"; exit 1; }
echo "package ok: $(basename "$deb"), quillon-cli says: $version"
