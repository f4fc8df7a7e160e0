#!/usr/bin/env bash
# The file system seam of the core, run through quillfin_file_system_probe:
# the question cache tells a file apart from a replacement of the same size and
# the same write time (touch -r), whether it took the file's place by a rename
# or was written into the same file; and a saved round's data reaches the disk
# before the rename. A .exe runs under Wine, anything else directly.
#   file_system_test.sh build-win/quillfin_file_system_probe.exe
set -euo pipefail
TEST_NAME="file system test"
probe=$(realpath "$1")
WORK=$(mktemp -d)
source "$(dirname "$0")/WineSession.sh"
trap 'exec {toProbe}>&- 2>/dev/null || true; StopSession; rm -rf "$WORK"' EXIT
run=("$probe")
if [[ "$probe" == *.exe ]]; then
    StartWine
    unset DISPLAY
    run=("$WINE" "$probe")
fi
files="$WORK/files"
mkdir "$files"
mkfifo "$WORK/in" "$WORK/out"
(cd "$files" && exec "${run[@]}" <"$WORK/in" >"$WORK/out" 2>"$WORK/probe.log") &
exec {toProbe}>"$WORK/in" {fromProbe}<"$WORK/out"

# Sends one command and checks the probe's one-line answer.
Expect() {
    local command="$1" expected="$2" answer
    printf '%s\n' "$command" >&"$toProbe"
    read -r -t 60 answer <&"$fromProbe" || Fail "no answer to \"$command\" within 60 s"
    answer=${answer%$'\r'}
    [ "$answer" = "$expected" ] || Fail "\"$command\": expected \"$expected\", got \"$answer\""
}

cd "$files"
e=$'\xE9'  # é in Windows-1252, as the readers give the UTF-8 letter
printf 'caf\xC3\xA9 one\n' >q.txt
touch -d '2024-03-01 12:00:00' q.txt
touch -r q.txt reference
Expect "text q.txt" "reads=1 caf$e one"
Expect "text q.txt" "reads=1 caf$e one"  # kept: the file is unchanged

# Another file of the same size and write time renamed over it.
printf 'caf\xC3\xA9 two\n' >new.txt
touch -r reference new.txt
mv -f new.txt q.txt
Expect "text q.txt" "reads=2 caf$e two"

# The same file written again, same size, its write time put back.
printf 'caf\xC3\xA9 six\n' >q.txt
touch -r reference q.txt
Expect "text q.txt" "reads=3 caf$e six"
Expect "text q.txt" "reads=3 caf$e six"

# A saved round: flushed, then renamed over the old file; nothing else left.
printf 'old round' >round.qfr
Expect "save round.qfr Q: 1 Stat: 0" "saved flush rename"
[ "$(cat round.qfr)" = "Q: 1 Stat: 0" ] || Fail "the saved file holds \"$(cat round.qfr)\""
[ -z "$(ls -A | grep -v -e '^q.txt$' -e '^reference$' -e '^round.qfr$')" ] ||
    Fail "files left beside the saved one: $(ls -A)"
echo "$TEST_NAME: passed ($(basename "$probe"))"
