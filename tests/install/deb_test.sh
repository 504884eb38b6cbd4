#!/usr/bin/env bash
# Builds the Debian package with cpack and inspects it with dpkg-deb: its
# fields, the library dependencies dpkg-shlibdeps found, the files it holds,
# and that the programs unpacked from it run.
# Usage: deb_test.sh BUILD_DIR SAMPLE_PICTURE
set -uo pipefail
build=$1 sample=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
bad() { echo "FAIL: $*" >&2; fail=1; }

if ! (cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out") >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log" >&2
  echo "FAIL: cpack -G DEB failed" >&2
  exit 1
fi
deb=$(ls "$tmp"/out/vistrel_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { ls -R "$tmp/out" >&2; echo "FAIL: no vistrel_*.deb made" >&2; exit 1; }
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "vistrel_$(dpkg-deb -f "$deb" Version)_$arch.deb" ] ||
  bad "package file name $(basename "$deb") is not vistrel_VERSION_$arch.deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vistrel ] || bad "Package is '$(field Package)'"
[ "$(field Architecture)" = "$arch" ] || bad "Architecture is '$(field Architecture)'"
[ "$(field Section)" = graphics ] || bad "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || bad "no Maintainer"
[ -n "$(field Description)" ] || bad "no Description"
depends=$(field Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libjpeg62-turbo \
           libpng16-16 libtiff6 libimagequant0 qt6-qpa-plugins; do
  tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qxF "$lib" || bad "Depends lacks $lib: $depends"
done
# dpkg-shlibdeps gives versions; a hand-written list would not.
grep -qE 'libc6 \(>= [0-9.]+\)' <<<"$depends" || bad "Depends has no versioned libc6: $depends"

dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$tmp/files"
for f in /usr/bin/vistrel /usr/bin/vistrel-cli \
         /usr/share/applications/com.corvane.Vistrel.desktop \
         /usr/share/metainfo/com.corvane.Vistrel.metainfo.xml \
         /usr/share/mime/packages/com.corvane.Vistrel.xml \
         /usr/share/icons/hicolor/scalable/apps/com.corvane.Vistrel.svg \
         /usr/share/icons/hicolor/48x48/apps/com.corvane.Vistrel.png \
         /usr/share/man/man1/vistrel.1.gz /usr/share/man/man1/vistrel-cli.1.gz; do
  grep -qx "$f" "$tmp/files" || bad "the package lacks $f"
done
grep -q '^/usr/local\|^/home\|^/root' "$tmp/files" && bad "the package holds files outside /usr"

# The programs unpacked from the package run.
dpkg-deb -x "$deb" "$tmp/root"
file "$tmp/root/usr/bin/vistrel" | grep -q 'not stripped' && bad "vistrel is not stripped"
"$tmp/root/usr/bin/vistrel-cli" info "$sample" | grep -q '^width: ' || bad "vistrel-cli info from the package fails"
"$tmp/root/usr/bin/vistrel" --version | grep -q '^vistrel ' || bad "vistrel --version from the package fails"

[ $fail = 0 ] && echo "$(basename "$deb") in order: Depends: $depends"
exit $fail
