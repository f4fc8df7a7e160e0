#!/usr/bin/env bash
# A file dropped on the Windows program's window, under Wine: the probe runs
# the program's own code and drops from inside its process. A question file
# starts a round; of two files the first opens (here a round file, which
# goes on with its question).
#   drop_test.sh build-win/quillfin_drop_probe.exe
set -uo pipefail
TEST_NAME="drop test"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/WineSession.sh"

probe=$(realpath "${1:?usage: drop_test.sh path/to/quillfin_drop_probe.exe}")
WORK=$(mktemp -d)
trap 'StopSession; rm -rf "$WORK"' EXIT
WinPath() { local p="Z:$1"; printf '%s' "${p//\//\\}"; }

printf '\xa4Q "Capital of Sweden?"\r\n\xa4A "Stockholm"\r\n\xa4E\r\n' >"$WORK/sweden.txt"
printf '\xa4Q "Capital of Norway?"\r\n\xa4A "Oslo"\r\n\xa4E\r\n' >"$WORK/norway.txt"
printf '%s\r\n' "qfile: \"$(WinPath "$WORK/norway.txt")\"" 'sfile: "x.qfr"' 'qantal: 1' \
    'Q: 1 Stat: 0' >"$WORK/norway.qfr"

StartDisplay
StartWine
status=0
Expect() {
    local expected="$1" line
    shift
    line=$(cd "$WORK" && timeout 120 "$WINE" "$probe" "$@" 2>/dev/null | tr -d '\r')
    if [ "$line" = "$expected" ]; then
        echo "$TEST_NAME: $line"
    else
        echo "$TEST_NAME: dropped $*: expected \"$expected\", got \"$line\""
        status=1
    fi
}
Expect 'state=2 text=Capital of Sweden?' "$(WinPath "$WORK/sweden.txt")"
Expect 'state=2 text=Capital of Norway?' "$(WinPath "$WORK/norway.qfr")" \
    "$(WinPath "$WORK/sweden.txt")"
[ "$status" -eq 0 ] && echo "$TEST_NAME: passed"
exit "$status"
