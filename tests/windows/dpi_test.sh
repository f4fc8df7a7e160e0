#!/usr/bin/env bash
# The Windows program's DPI, under Wine: the manifest built into quillfin.exe
# declares per-monitor DPI awareness; at LogPixels 96 and 192 the program
# starts with its font and margins at that DPI; WM_DPICHANGED (96 to 192 and
# back), sent by a probe inside the program's process, moves the window to the suggested
# rectangle and makes the font and the margins follow the new DPI.
#   dpi_test.sh build-win/quillfin_dpi_probe.exe build-win/quillfin.exe
set -uo pipefail
TEST_NAME="dpi test"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/WineSession.sh"

probe=$(realpath "${1:?usage: dpi_test.sh quillfin_dpi_probe.exe quillfin.exe}")
program=$(realpath "${2:?usage: dpi_test.sh quillfin_dpi_probe.exe quillfin.exe}")
WORK=$(mktemp -d)
trap 'StopSession; rm -rf "$WORK"' EXIT
cp "$probe" "$program" "$WORK/"

StartDisplay
StartWine
status=0
Check() {
    local what="$1" expected="$2" actual="$3"
    if [ "$actual" = "$expected" ]; then
        echo "$TEST_NAME: $actual"
    else
        echo "$TEST_NAME: $what: expected \"$expected\", got \"$actual\""
        status=1
    fi
}
Probe() { (cd "$WORK" && timeout 120 "$WINE" "$(basename "$probe")" "$@" 2>/dev/null | tr -d '\r'); }

Check "the manifest of $(basename "$program")" \
    'dpiAware=true/pm dpiAwareness=PerMonitorV2, PerMonitor' \
    "$(Probe manifest "$(basename "$program")")"

# The text area is 478 pixels wide at 96 DPI where the client is wider than
# 501, else 24 less than the client; both scale with the DPI. The font is 12
# points: 16 pixels at 96 DPI.
Area() {
    local dpi="$1" client="$2"
    if [ "$client" -gt $((501 * dpi / 96)) ]; then echo $((478 * dpi / 96)); else echo $((client - 24 * dpi / 96)); fi
}
for dpi in 96 192; do
    # Twice the DPI from 96, half from 192; the smallest window at four times
    # 96 would not fit into the suggested rectangle.
    other=$((dpi == 96 ? 192 : 96))
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
        Fail "cannot set LogPixels to $dpi"
    output=$(Probe change "$other")
    start=$(sed -n 's/^start //p' <<<"$output")
    changed=$(sed -n 's/^changed //p' <<<"$output")
    client=$(sed -n 's/.*client=\([0-9]*\).*/\1/p' <<<"$start")
    Check "the start at LogPixels $dpi" \
        "dpi=$dpi font=-$((16 * dpi / 96)) client=$client area=$(Area "$dpi" "${client:-0}")" "$start"
    client=$(sed -n 's/.*client=\([0-9]*\).*/\1/p' <<<"$changed")
    Check "WM_DPICHANGED to $other at LogPixels $dpi" \
        "dpi=$other window=40,30,940,730 font=-$((16 * other / 96)) client=$client area=$(Area "$other" "${client:-0}")" \
        "$changed"
done
[ "$status" -eq 0 ] && echo "$TEST_NAME: passed"
exit "$status"
