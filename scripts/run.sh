#!/usr/bin/env bash
# Fresh machine to a running Quillfin: installs what is missing, builds, starts the program.
# Without a display (no DISPLAY set), it runs under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target quillfin
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$build/quillfin"
fi
exec "$build/quillfin"
