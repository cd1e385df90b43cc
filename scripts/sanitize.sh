#!/usr/bin/env bash
# Builds everything with clang under a sanitizer and runs every test there, the window test
# with that build's executable included. Any sanitizer report fails the test it came from.
#
# Usage: scripts/sanitize.sh asan|tsan     (into build-asan or build-tsan)
#   asan: AddressSanitizer + UndefinedBehaviorSanitizer    tsan: ThreadSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
    asan) build_type=ASan ;;
    tsan) build_type=TSan ;;
    *)
        echo "usage: $0 asan|tsan" >&2
        exit 2
        ;;
esac
build_dir="build-$1"

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > /dev/null
cmake --build "$build_dir" --parallel "$(nproc)"

source scripts/sanitizer-options.sh

cd "$build_dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
