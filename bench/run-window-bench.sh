#!/usr/bin/env bash
# Runs the visible-window benchmark of the receive path in a virtual X display.
# Usage: bench/run-window-bench.sh [build dir] [extra benchmark arguments]
set -euo pipefail
build_dir=$(realpath "${1:-build}")
shift || true

# Re-run inside a fresh virtual display of our own; -noreset keeps the atoms interned below.
if [ -z "${SORVALLE_BENCH_IN_XVFB:-}" ]; then
    export SORVALLE_BENCH_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$build_dir" "$@"
fi

# A bare display has no window manager to have interned the atoms JUCE only looks up.
"$build_dir/tests/close_window" --prepare
exec "$build_dir/bench/sorvalle_bench" --benchmark_filter=receiveInVisibleWindow "$@"
