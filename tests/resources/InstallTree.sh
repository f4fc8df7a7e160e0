#!/bin/sh
# Installs a build into a temporary prefix and checks what a desktop reads
# there: the desktop entry and the metainfo with the desktop's validators, the
# program the entry starts, the icon at every size it is installed at, the
# file type compiled by the desktop's MIME tool, the help page and examples.
# Usage: InstallTree.sh path/to/build
set -u
build=$(cd "${1:?usage: InstallTree.sh path/to/build}" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

fail() {
    echo "install tree: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || fail "cmake --install failed: $(cat "$prefix.log")"
rm -f "$prefix.log"
id=org.quillfin.Quillfin
share="$prefix/share"

[ -x "$prefix/bin/quillfin" ] || fail "no program in bin/"
if [ -x "$build/quillfin-check" ]; then
    [ -x "$prefix/bin/quillfin-check" ] || fail "the checker was built but not installed"
fi

desktop="$share/applications/$id.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the entry"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
program=${exec_line%% *}
[ -x "$prefix/bin/$program" ] || fail "the entry starts \"$program\", which is not installed"
case "$exec_line" in *" %f" | *" %F" | *" %u" | *" %U") ;; *) fail "Exec takes no file: $exec_line" ;; esac
grep -qx "MimeType=application/x-quillfin-round;" "$desktop" || fail "the entry does not open saved rounds"

icon=$(sed -n 's/^Icon=//p' "$desktop")
found=0
for dir in "$share"/icons/hicolor/*/apps; do
    file="$dir/$icon.png"
    [ -f "$file" ] || continue
    size=$(basename "$(dirname "$dir")")
    [ "$(identify -format '%wx%h' "$file")" = "$size" ] || fail "$file is not $size"
    found=$((found + 1))
done
[ "$found" -ge 5 ] || fail "the icon $icon is installed at $found sizes only"

metainfo="$share/metainfo/$id.metainfo.xml"
[ -f "$metainfo" ] || fail "no metainfo"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses the metainfo"
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli refuses the installed tree"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not name the desktop entry"

[ -f "$share/mime/packages/$id.xml" ] || fail "no MIME package"
XDG_DATA_DIRS="$share:/usr/share" update-mime-database "$share/mime" 2>"$prefix/mime.log" || fail "update-mime-database failed"
[ -s "$prefix/mime.log" ] && fail "update-mime-database complains: $(cat "$prefix/mime.log")"
grep -q 'application/x-quillfin-round' "$share/mime/types" || fail "the file type was not compiled"
grep -q 'application/x-quillfin-round:\*\.qfr' "$share/mime/globs2" || fail "no *.qfr in the compiled globs"
grep -aq 'qfile: "' "$share/mime/magic" || fail "the compiled magic lacks the round file's first bytes"

[ -f "$share/doc/quillfin/help/Quillfin_help_v.1.00 beta.html" ] || fail "no help page"
[ -f "$share/doc/quillfin/examples/first-quiz.txt" ] || fail "no examples"
[ -f "$share/doc/quillfin/copyright" ] || fail "no terms of use beside the help"
zcat "$share/doc/quillfin/changelog.gz" | head -n 1 | grep -q '^quillfin ([0-9.]*) ' ||
    fail "no Debian changelog beside the help"
for page in quillfin quillfin-check; do
    [ "$page" = quillfin-check ] && [ ! -e "$prefix/bin/quillfin-check" ] && continue
    zcat "$share/man/man1/$page.1.gz" 2>/dev/null | grep -q "^\.TH $(echo "$page" | tr a-z A-Z) 1" ||
        fail "no manual page for $page"
done
echo "install tree: entry, metainfo, icons ($found sizes), file type, help, examples, changelog and manual pages in place"
