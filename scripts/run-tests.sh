#!/usr/bin/env bash
# Installs what is needed and runs every check: the normal build and all its tests, the same
# under AddressSanitizer + UndefinedBehaviorSanitizer (the window test with that executable too)
# and under ThreadSanitizer, each fuzzer for about a minute, and a short benchmark pass.
# Each part also runs alone: scripts/build.sh, scripts/sanitize.sh asan|tsan, scripts/fuzz.sh,
# scripts/bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { printf '\n=== %s (%s)\n' "$*" "$(date +%T)"; }

step "Dependencies"
bash scripts/install-deps.sh

step "Build and tests"
bash scripts/build.sh
(cd "${BUILD_DIR:-build}" && ctest --output-on-failure --parallel "$(nproc)" --timeout 300)

step "AddressSanitizer + UndefinedBehaviorSanitizer: build and tests"
bash scripts/sanitize.sh asan

step "ThreadSanitizer: build and tests"
bash scripts/sanitize.sh tsan

step "Fuzzers, a minute each"
bash scripts/fuzz.sh --seconds 60

step "Benchmarks, short pass"
bash scripts/bench.sh --short

step "All passed"
# Every test of the three builds passed, or set -e would have ended the run before here.
passed=0
for dir in "${BUILD_DIR:-build}" build-asan build-tsan; do
    passed=$((passed + $(ctest --test-dir "$dir" -N | awk '/Total Tests:/ { print $3 }')))
done
echo "Tests: $passed passed, 0 failed"
