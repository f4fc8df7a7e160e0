# Finding Wine and starting a fresh prefix for it: shared by the Wine tests
# (WineSession.sh) and the end-to-end desktop test (tests/e2e/Desktop.sh).
# Sourced; StartWine expects $WORK and a Fail function from the sourcing file.

# Wine from Debian's wine64 package; the "wine" launcher also works when
# only the 64-bit half is installed, but it warns about the missing other half.
WineBinary() {
    if command -v wine64 >/dev/null; then
        command -v wine64
    elif [ -x /usr/lib/wine/wine64 ]; then
        echo /usr/lib/wine/wine64
    else
        command -v wine
    fi
}

WineserverBinary() {
    if command -v wineserver >/dev/null; then
        command -v wineserver
    else
        echo /usr/lib/wine/wineserver
    fi
}

# A fresh 64-bit Wine prefix in $WORK, quiet and without the Mono and Gecko
# installers. Sets WINE.
StartWine() {
    export WINEPREFIX="$WORK/prefix" WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
    WINE=$(WineBinary)
    [ -n "$WINE" ] || Fail "wine is not installed"
    timeout 180 "$WINE" wineboot -i >"$WORK/wineboot.log" 2>&1 ||
        Fail "wineboot failed: $(tail -5 "$WORK/wineboot.log")"
}
