#!/usr/bin/env bash
# The Windows programs carry the project's version: each .exe's version
# resource, read under Wine with GetFileVersionInfoA, gives project(VERSION)
# as its file and product version, numbers and text alike.
#   version_test.sh build-win/quillfin_version_probe.exe build-win/quillfin.exe build-win/quillfin-check.exe
set -euo pipefail
TEST_NAME="version resource test"
here=$(cd "$(dirname "$0")" && pwd)
probe=$(realpath "$1")
shift
WORK=$(mktemp -d)
source "$here/WineSession.sh"
trap 'StopSession; rm -rf "$WORK"' EXIT

version=$(sed -n 's/^project(Quillfin VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
[ -n "$version" ] || Fail "no project version in CMakeLists.txt"
IFS=. read -r major minor patch tweak <<<"$version"
numbers="$((10#$major)).$((10#${minor:-0})).$((10#${patch:-0})).$((10#${tweak:-0}))"

StartWine
unset DISPLAY
status=0
for exe in "$@"; do
    cp "$exe" "$WORK/"
    name=$(basename "$exe")
    line=$(cd "$WORK" && "$WINE" "$probe" "$name" 2>/dev/null | tr -d '\r')
    expected="$name file=$numbers product=$numbers FileVersion=$version ProductVersion=$version ProductName=Quillfin"
    if [ "$line" = "$expected" ]; then
        echo "$TEST_NAME: $line"
    else
        echo "$TEST_NAME: $name: expected \"$expected\", got \"$line\""
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "$TEST_NAME: passed"
exit "$status"
