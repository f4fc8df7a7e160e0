#!/usr/bin/env bash
# The Windows program: installs the cross compiler and Wine when missing,
# builds build-win/quillfin.exe with the "windows" preset, plays it under
# Wine with the end-to-end test (tests/e2e/play.sh), plays a round in folders
# and files named with letters beyond ASCII, tests the core's file system
# seam (the question cache's key, the saved round flushed before its rename),
# reads both programs' version resources, checks the program's DPI awareness
# (its manifest, its start at 96 and 192 DPI and a DPI change);
# then builds the Linux program (in $LINUX_BUILD_DIR, default build-winlinux),
# runs build-win/quillfin-check.exe on a good and a broken question file and
# writes the examples' preview with both checkers, and compares the screens of
# the two programs.
set -euo pipefail
cd "$(dirname "$0")/.."
QUILLFIN_WITH_WINDOWS=1 ./scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
./tests/e2e/play.sh --wine build-win/quillfin.exe
./tests/windows/wine_names_test.sh build-win/quillfin.exe
cmake --build build-win --target quillfin_file_system_probe
./tests/windows/file_system_test.sh build-win/quillfin_file_system_probe.exe
cmake --build build-win --target quillfin_picture_probe quillfin_version_probe quillfin_drop_probe
./tests/windows/version_test.sh build-win/quillfin_version_probe.exe build-win/quillfin.exe \
  build-win/quillfin-check.exe
./tests/windows/drop_test.sh build-win/quillfin_drop_probe.exe
cmake --build build-win --target quillfin_dpi_probe
./tests/windows/dpi_test.sh build-win/quillfin_dpi_probe.exe build-win/quillfin.exe

linux=${LINUX_BUILD_DIR:-build-winlinux}
cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$linux" --target quillfin quillfin-check quillfin_picture_probe -j2
./tests/windows/check_test.sh build-win/quillfin-check.exe "$linux/quillfin-check"
./tests/windows/picture_test.sh build-win/quillfin_picture_probe.exe "$linux/quillfin_picture_probe"
./tests/windows/compare.sh build-win/quillfin.exe "$linux/quillfin" "${COMPARE_SHOTS:-out/windows-compare}"
