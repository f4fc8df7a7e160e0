#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Quillfin need.
# Idempotent: does nothing (and needs no network) when everything is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev
  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick openbox
  # xclip reads what a message box copies with Ctrl+C in the end-to-end test.
  xclip
  # tesseract reads the question, the feedback and the round's summary off
  # the screen in the end-to-end test.
  tesseract-ocr tesseract-ocr-eng
  fonts-dejavu-core fonts-liberation2
  # Packaging: the desktop's validators and MIME tool for the installed files,
  # file for the package's library dependencies, unzip for the zip's test,
  # lintian for the Debian package's checks.
  desktop-file-utils appstream shared-mime-info file unzip lintian
  # The checker's preview test: xmllint validates its page, Chromium renders it.
  libxml2-utils chromium
)
if [ "${QUILLFIN_WITH_FUZZ:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev)
fi
if [ "${QUILLFIN_WITH_WINDOWS:-0}" = 1 ]; then
  # The Windows program: MinGW-w64 cross compiler, and Wine to run it;
  # python3 makes the EXIF fixtures and compares the two builds' pixels.
  packages+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 python3)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  echo "Installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
