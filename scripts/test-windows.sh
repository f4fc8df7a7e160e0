#!/usr/bin/env bash
# The Windows program: installs the cross compiler and Wine when missing,
# builds build-win/quillfin.exe with the "windows" preset, plays a round with
# it under Wine on a virtual display, then compares its screens with those of
# the Linux build.
set -euo pipefail
cd "$(dirname "$0")/.."
QUILLFIN_WITH_WINDOWS=1 ./scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
./tests/windows/wine_test.sh build-win/quillfin.exe
