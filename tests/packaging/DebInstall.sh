#!/bin/sh
# Installs the Debian package with apt, as a user would (its dependencies must
# resolve from the machine's sources), checks what the desktop then knows of
# it, starts the installed /usr/bin/quillfin with a saved round on a virtual
# display (tests/ui/OpenFileSmoke.sh: the round's question must be on screen),
# and removes the package again, also when a step fails.
# Needs root (or sudo). Usage: DebInstall.sh out/quillfin_VERSION_ARCH.deb [screenshot.png]
set -u
here=$(cd "$(dirname "$0")" && pwd)
deb=$(realpath "${1:?usage: DebInstall.sh path/to/quillfin.deb [screenshot]}")
shot="${2:-}"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
apt() {
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@"
}

fail() {
    echo "deb install test: $*" >&2
    exit 1
}

if dpkg-query -W -f='${Status}' quillfin 2>/dev/null | grep -q "install ok installed"; then
    fail "quillfin is installed already; this test installs and removes it itself"
fi
trap 'apt purge quillfin >/dev/null 2>&1' EXIT

apt install --no-install-recommends "$deb" >/dev/null || fail "apt could not install $deb"
[ -x /usr/bin/quillfin ] || fail "no /usr/bin/quillfin after installing"

# The package's triggers have told the desktop about the program and its file type.
grep -q '^application/x-quillfin-round=.*org.quillfin.Quillfin.desktop' \
    /usr/share/applications/mimeinfo.cache 2>/dev/null ||
    fail "the desktop database does not open saved rounds with Quillfin"
grep -q 'application/x-quillfin-round:\*\.qfr' /usr/share/mime/globs2 ||
    fail "the MIME database does not know *.qfr"
desktop-file-validate /usr/share/applications/org.quillfin.Quillfin.desktop ||
    fail "the installed desktop entry is not valid"
appstreamcli validate --no-net /usr/share/metainfo/org.quillfin.Quillfin.metainfo.xml >/dev/null ||
    fail "the installed metainfo is not valid"

sh "$here/../ui/OpenFileSmoke.sh" /usr/bin/quillfin ${shot:+"$shot"} || fail "the installed program did not resume the round"

apt purge quillfin >/dev/null || fail "apt could not remove the package"
trap - EXIT
[ -e /usr/bin/quillfin ] && fail "/usr/bin/quillfin is still there after removing the package"
echo "deb install test: installed with apt, round resumed by /usr/bin/quillfin, removed"
