#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number
# of seconds (default 60) on its seed corpus. New inputs go to out/fuzz/<target>,
# findings (crash-*, timeout-*, leak-*) to out/fuzz/findings.
#   ./scripts/fuzz.sh [seconds] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
QUILLFIN_WITH_FUZZ=1 ./scripts/setup.sh
seconds=${1:-60}
shift || true
build=${FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DQUILLFIN_FUZZ=ON -DQUILLFIN_GUI=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=()
  for t in "$build"/fuzz/fuzz_*; do [ -x "$t" ] && targets+=("$(basename "$t" | sed 's/^fuzz_//')"); done
fi
# Allocations that system libraries behind Qt keep for the life of the process.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
mkdir -p out/fuzz/findings
status=0
for t in "${targets[@]}"; do
  mkdir -p "out/fuzz/$t"
  echo "== fuzz_$t for ${seconds}s"
  # No single question-file or round-file operation may take a second, so a
  # hostile file cannot freeze the window; pictures of up to 64 megapixels get longer.
  limit=${FUZZ_TIMEOUT:-1}
  [ "$t" = bmp ] && limit=10
  if ! QT_QPA_PLATFORM=offscreen "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout="$limit" -rss_limit_mb=2048 \
      -artifact_prefix=out/fuzz/findings/ -print_final_stats=1 "out/fuzz/$t" "fuzz/corpus/$t" \
      2>"out/fuzz/$t.log"; then
    status=1
    tail -40 "out/fuzz/$t.log"
  fi
  grep -E "stat::number_of_executed_units|DONE" "out/fuzz/$t.log" | tail -2 || true
done
exit $status
