#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what the desktop
# needs: the programs, a valid .desktop file whose icon and file types the
# tree provides, valid AppStream data, every icon size, and man pages that
# render and mention every option the programs' --help texts list.
# Usage: install_test.sh BUILD_DIR
set -uo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
fail=0
bad() { echo "FAIL: $*" >&2; fail=1; }

if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log" >&2
  echo "FAIL: cmake --install into $prefix failed" >&2
  exit 1
fi
share=$prefix/share
app=com.corvane.Vistrel
desktop=$share/applications/$app.desktop

# The programs run from the installed tree.
for p in vistrel vistrel-cli; do
  [ -x "$prefix/bin/$p" ] || bad "bin/$p is not installed"
done
cli_version=$("$prefix/bin/vistrel-cli" --version) || bad "vistrel-cli --version failed"
gui_version=$("$prefix/bin/vistrel" --version) || bad "vistrel --version failed"
[ "${cli_version#vistrel-cli }" = "${gui_version#vistrel }" ] ||
  bad "vistrel ($gui_version) and vistrel-cli ($cli_version) report different versions"

# Desktop entry and AppStream data.
[ -f "$desktop" ] || { bad "$desktop is not installed"; exit 1; }
desktop-file-validate "$desktop" >&2 || bad "desktop-file-validate rejects $app.desktop"
metainfo=$share/metainfo/$app.metainfo.xml
[ -f "$metainfo" ] || bad "$metainfo is not installed"
appstreamcli validate --no-net "$metainfo" >"$tmp/as.log" 2>&1 || {
  cat "$tmp/as.log" >&2
  bad "appstreamcli validate --no-net rejects $app.metainfo.xml"
}
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_name" ] || bad "Exec=$exec_name is not in bin/"

# The icon the entry names, scalable and at every size.
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || bad "icons/hicolor/scalable/apps/$icon.svg missing"
for s in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${s}x${s}/apps/$icon.png
  if [ ! -f "$png" ]; then
    bad "icons/hicolor/${s}x${s}/apps/$icon.png missing"
  elif ! file "$png" | grep -q "PNG image data, $s x $s"; then
    bad "$png is not a $s x $s PNG: $(file -b "$png")"
  fi
done

# Every file type the entry names is known: to the desktop's database or to
# the package we install. Build a database from both, as the desktop would.
mime=$tmp/mime
mkdir -p "$mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$mime/packages/"
cp "$share/mime/packages/"*.xml "$mime/packages/" || bad "no shared-mime-info package installed"
update-mime-database "$mime" >"$tmp/mime.log" 2>&1 || { cat "$tmp/mime.log" >&2; bad "update-mime-database failed"; }
grep -qi 'warn\|error' "$tmp/mime.log" && { cat "$tmp/mime.log" >&2; bad "update-mime-database warns about our package"; }
for t in $(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' '); do
  grep -qx "$t" "$mime/types" || grep -q "^$t " "$mime/aliases" ||
    bad "MimeType $t of $app.desktop is known neither to the desktop nor to our package"
done
for g in dcx:image/x-dcx vsl:application/x-vistrel-bookmarks avl:application/x-vistrel-slideshow; do
  grep -q ":${g#*:}:\*\.${g%%:*}$" "$mime/globs2" || bad "*.${g%%:*} is not ${g#*:}"
done

# Man pages: render without warnings, and name every option and command.
for page in vistrel vistrel-cli; do
  f=$(ls "$share/man/man1/$page.1"* 2>/dev/null | head -1)
  [ -n "$f" ] || { bad "man page $page.1 is not installed"; continue; }
  if ! LC_ALL=C MANWIDTH=200 man -l "$f" 2>"$tmp/$page.err" | col -b >"$tmp/$page.txt"; then
    bad "man -l $page.1 failed"
  fi
  [ -s "$tmp/$page.err" ] && { cat "$tmp/$page.err" >&2; bad "man -l $page.1 warns"; }
  grep -q "^NAME" "$tmp/$page.txt" || bad "man -l $page.1 renders no NAME section"
  zcat -f "$f" | LC_ALL=C groff -man -ww -z 2>"$tmp/$page.groff"
  [ -s "$tmp/$page.groff" ] && { cat "$tmp/$page.groff" >&2; bad "groff warns about $page.1"; }
done

# The options a help text lists, one a line.
options_of() { grep -oE -- '(^|[^A-Za-z0-9_-])--?[a-z][a-z0-9-]*' | sed 's/^[^-]*//' | sort -u; }
mentions() { grep -qE -- "(^|[^A-Za-z0-9_-])$2([^A-Za-z0-9_-]|$)" "$tmp/$1.txt"; }
check_help() { # page, the command line shown in the message, the help text
  local page=$1 shown=$2 text=$3 o
  for o in $(options_of <<<"$text"); do
    mentions "$page" "$o" || bad "$page.1 does not mention $o (listed by '$shown')"
  done
}
check_help vistrel "vistrel --help" "$("$prefix/bin/vistrel" --help)"
cli_help=$("$prefix/bin/vistrel-cli" --help)
check_help vistrel-cli "vistrel-cli --help" "$cli_help"
for c in $(grep -oE '^ *(usage: *)?vistrel-cli [a-z][a-z-]*' <<<"$cli_help" | awk '{print $NF}' | sort -u); do
  mentions vistrel-cli "$c" || bad "vistrel-cli.1 does not describe the command $c (listed by 'vistrel-cli --help')"
  text=$("$prefix/bin/vistrel-cli" "$c" --help) || bad "'vistrel-cli $c --help' fails"
  check_help vistrel-cli "vistrel-cli $c --help" "$text"
done

[ $fail = 0 ] && echo "installed tree in order"
exit $fail
