#!/usr/bin/env bash
# Fresh machine to a running Quillfin: installs what is missing, builds, starts the program.
# Without a display (no DISPLAY set), it runs under Xvfb. A file given to the
# script (a saved round or a question file) is handed to the program, which
# starts in the folder the script was started in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
here=$PWD
cd "$root"
./scripts/setup.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target quillfin
program=$(realpath "$build/quillfin")
cd "$here"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$program" "$@"
fi
exec "$program" "$@"
