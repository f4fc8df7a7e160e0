#!/usr/bin/env bash
# Builds the packages into out/: the Debian package from a Release build in
# build-pkg/, and the Windows zip from the "windows" preset in build-win/.
# Installs what is missing first (the Windows cross compiler only for the zip).
# Usage: package.sh [deb|zip|all]   (default all)
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}
case "$what" in deb | zip | all) ;; *) echo "usage: $0 [deb|zip|all]" >&2; exit 2 ;; esac
out=$PWD/out
mkdir -p "$out"

if [ "$what" != zip ]; then
  ./scripts/setup.sh
  # Hardened as Debian builds its packages: checked buffer functions, and
  # every symbol bound at start with the relocation table read-only.
  cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUILLFIN_TESTS=OFF -DQUILLFIN_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2" -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
  cmake --build build-pkg
  (cd build-pkg && cpack -G DEB -D CPACK_OUTPUT_FILE_PREFIX="$out")
fi

if [ "$what" != deb ]; then
  QUILLFIN_WITH_WINDOWS=1 ./scripts/setup.sh
  cmake --preset windows >/dev/null
  # Every program of the build, the checker too, not only the preset's target.
  cmake --build build-win -j2
  (cd build-win && cpack -G ZIP -D CPACK_OUTPUT_FILE_PREFIX="$out")
fi
echo "Packages in out/:"
ls -1 "$out" | grep -E '\.(deb|zip)$'
