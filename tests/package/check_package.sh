#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, unpacks it into a scratch
# root and checks and runs what it installed.
set -euo pipefail
build=$1
source_dir=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log") || { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/out/quillon_*.deb)

depends=$(dpkg-deb --field "$deb" Depends)
# The codecs, FreeType and fontconfig are loaded at run time, where dpkg-shlibdeps does not look.
for needed in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins fonts-liberation libspng0 libgif7 \
  libjpeg62-turbo libfreetype6 libfontconfig1; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

# The completion for quillon-cli works only with bash-completion installed.
recommends=$(dpkg-deb --field "$deb" Recommends)
grep -qw "bash-completion" <<<"$recommends" || fail "Recommends lacks bash-completion: $recommends"

# Errors fail the test; warnings are shown.
lintian --fail-on none "$deb" >"$scratch/lintian.log" 2>&1 || fail "lintian did not run: $(cat "$scratch/lintian.log")"
grep -E '^[EW]: ' "$scratch/lintian.log" || true
if grep -q '^E: ' "$scratch/lintian.log"; then fail "lintian found errors"; fi

# Owned by root; folders and programs 0755, everything else 0644.
dpkg-deb --contents "$deb" | while read -r mode owner _ _ _ path; do
  case "$path" in
    */) expected=drwxr-xr-x ;;
    ./usr/bin/*) expected=-rwxr-xr-x ;;
    *) expected=-rw-r--r-- ;;
  esac
  [ "$mode $owner" = "$expected root/root" ] || fail "$path is $mode $owner, not $expected root/root"
done

dpkg -x "$deb" "$scratch/root"
usr=$scratch/root/usr
doc=share/doc/quillon
metainfo=share/metainfo/io.github.quillon.Quillon.metainfo.xml
for file in bin/quillon bin/quillon-cli share/applications/quillon.desktop "$metainfo" \
            share/man/man1/quillon.1.gz share/man/man1/quillon-cli.1.gz "$doc/copyright" "$doc/changelog.gz" \
            share/icons/hicolor/16x16/apps/quillon.png share/icons/hicolor/48x48/apps/quillon.png \
            share/bash-completion/completions/quillon-cli "$doc/README.md" "$doc/examples/firmware/Makefile" \
            include/quillon/quillon.h lib/libquillon.a share/quillon/quillon.html; do
  compgen -G "$usr/$file" >/dev/null || fail "missing from the package: /usr/$file"
done
desktop-file-validate "$usr/share/applications/quillon.desktop"
# The metainfo file, and that it names the desktop entry and icon installed beside it.
appstreamcli validate-tree --no-net --strict "$scratch/root" || fail "appstreamcli rejects the installed tree"

# The manual pages are the ones in docs/; the copyright file carries LICENSE's text.
for page in quillon quillon-cli; do
  zcat "$usr/share/man/man1/$page.1.gz" | cmp -s - "$source_dir/docs/$page.1" ||
    fail "/usr/share/man/man1/$page.1.gz is not docs/$page.1"
done
grep -q '^License: MIT$' "$usr/$doc/copyright" || fail "/usr/$doc/copyright does not name the MIT licence"
sed -n '/^ /,$p' "$usr/$doc/copyright" | sed 's/^ //; s/^\.$//' >"$scratch/licence"  # the indented text
sed -n '/^Permission/,$p' "$source_dir/LICENSE" | cmp -s - "$scratch/licence" ||
  fail "/usr/$doc/copyright does not carry the text of LICENSE"

# The screenshots the metainfo file points to are the repository's own, at their size.
mapfile -t images < <(grep -o '<image [^>]*>[^<]*' "$usr/$metainfo")
[ ${#images[@]} -ge 2 ] || fail "the metainfo file shows ${#images[@]} screenshots, not both windows"
for image in "${images[@]}"; do
  path=docs/${image##*/docs/}
  width=$(sed -E 's/.*width="([0-9]+)".*/\1/' <<<"$image")
  height=$(sed -E 's/.*height="([0-9]+)".*/\1/' <<<"$image")
  [ -f "$source_dir/$path" ] || fail "the metainfo file shows $path, which is not in the repository"
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$source_dir/$path")
  actual="$(((w1 << 24) + (w2 << 16) + (w3 << 8) + w4)) x $(((h1 << 24) + (h2 << 16) + (h3 << 8) + h4))"
  [ "$actual" = "$width x $height" ] || fail "$path is $actual, the metainfo file says $width x $height"
done

# The CMake package: examples/cmake, built against the unpacked tree, runs the
# package's own quillon-cli, which the package finds beside itself.
package_dir=$usr/lib/cmake/Quillon
for file in QuillonConfig.cmake QuillonConfigVersion.cmake QuillonData.cmake QuillonTargets.cmake; do
  [ -e "$package_dir/$file" ] || fail "missing from the package: /usr/lib/cmake/Quillon/$file"
done
cp -r "$source_dir/examples/cmake" "$scratch/example"
(cmake -S "$scratch/example" -B "$scratch/example-build" -DCMAKE_PREFIX_PATH="$usr" &&
  cmake --build "$scratch/example-build") >"$scratch/example.log" 2>&1 || { cat "$scratch/example.log"; fail "examples/cmake does not build against the package"; }
grep -q "^Quillon_DIR:PATH=$package_dir\$" "$scratch/example-build/CMakeCache.txt" ||
  fail "examples/cmake did not find the package's CMake files: $(grep Quillon_DIR "$scratch/example-build/CMakeCache.txt")"
"$usr/bin/quillon-cli" convert -o - "$scratch/example/logo.bmp" | cmp -s - "$scratch/example-build/lcd_logo.txt" ||
  fail "examples/cmake built against the package wrote a wrong lcd_logo.txt"
grep -rq "$usr/bin/quillon-cli convert" "$scratch/example-build" --include=*.make --include=build.ninja ||
  fail "examples/cmake did not run the package's quillon-cli"

# The C library: examples/library, built against the unpacked tree, writes
# what the package's quillon-cli writes.
cp -r "$source_dir/examples/library" "$scratch/library"
(cmake -S "$scratch/library" -B "$scratch/library-build" -DCMAKE_PREFIX_PATH="$usr" &&
  cmake --build "$scratch/library-build") >"$scratch/library.log" 2>&1 || { cat "$scratch/library.log"; fail "examples/library does not build against the package"; }
photo=$source_dir/docs/dither/photo.jpg
cmp -s <("$scratch/library-build/to_table" "$photo" c) <("$usr/bin/quillon-cli" convert --dither atkinson -f c -o - "$photo") ||
  fail "examples/library and quillon-cli write other tables"

version=$("$usr/bin/quillon-cli" --version)
grep -q "0\.1" <<<"$version" || fail "unexpected version: $version"
echo "package ok: $(basename "$deb"), quillon-cli says: $version"
