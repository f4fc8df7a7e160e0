#!/bin/sh
# Runs lintian on the Debian package: it fails on any error, and on any
# warning that is not one of those listed here with the reason it stays.
# Usage: Lintian.sh out/quillfin_VERSION_ARCH.deb
set -u
deb="${1:?usage: Lintian.sh path/to/quillfin.deb}"
command -v lintian >/dev/null 2>&1 || { echo "lintian test: lintian is not installed" >&2; exit 1; }
report=$(lintian --allow-root --display-level '>=warning' "$deb" 2>&1)
echo "$report" | sed 's/^/lintian: /'
# Warnings that stay, each for a reason:
#   (none)
unexpected=$(echo "$report" | grep -E '^[EW]: ')
if [ -n "$unexpected" ]; then
    echo "lintian test: the package has errors or warnings:" >&2
    echo "$unexpected" >&2
    exit 1
fi
echo "lintian test: no errors or warnings on $(basename "$deb")"
