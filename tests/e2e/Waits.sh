# Waits on the screen, shared by the desktop tests (sourced by
# tests/e2e/Desktop.sh, tests/windows/WineSession.sh and
# tests/ui/OpenFileSmoke.sh; plain POSIX sh). Each gives up after its deadline
# with a non-zero status, and the caller names what it waited for. Screenshots
# go to $WORK (or $work). A window id may be "root": the whole screen, where a
# menu that drops over a window is a window of its own.

# How many pixels differ between two screenshots (all of them when the sizes
# differ).
Differing() {
    _count=$(compare -metric AE "$1" "$2" null: 2>&1)
    case "$_count" in
        '' | *[!0-9]*) echo 999999999 ;;
        *) echo "$_count" ;;
    esac
}

# A screenshot of a window kept as `file`, for ScreenChangedFrom.
Remember() { import -window "$1" "$2" 2>/dev/null; }

# Until a window's pixels hold still: two screenshots in a row alike up to
# 64 pixels (a blinking text cursor).
ScreenHoldsStill() {
    _dir=${WORK:-$work}
    rm -f "$_dir/still-last.ppm"
    for _ in $(seq 1 $((${2:-10} * 10))); do
        if import -window "$1" "$_dir/still.ppm" 2>/dev/null; then
            [ -f "$_dir/still-last.ppm" ] &&
                [ "$(Differing "$_dir/still.ppm" "$_dir/still-last.ppm")" -le 64 ] && return 0
            cp "$_dir/still.ppm" "$_dir/still-last.ppm"
        fi
        sleep 0.1 # between the screenshots of a wait with a deadline
    done
    return 1
}

# Until a window's pixels differ from `before` (a screenshot Remember took) in
# more than 64 pixels: what the last key or click did has been drawn.
ScreenChangedFrom() {
    _dir=${WORK:-$work}
    for _ in $(seq 1 $((${3:-10} * 10))); do
        import -window "$1" "$_dir/changed.ppm" 2>/dev/null &&
            [ "$(Differing "$_dir/changed.ppm" "$2")" -gt 64 ] && return 0
        sleep 0.1 # between the screenshots of a wait with a deadline
    done
    return 1
}
