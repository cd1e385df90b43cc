#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) into build-fuzz, writes their seed
# corpus with the builder and the interface emulator, and runs each target for a while. Any
# finding (crash, sanitizer report, broken invariant, leak, time-out) fails.
#
# Usage: scripts/fuzz.sh [--seconds N] [--workers N] [target ...]
#   --seconds N   how long each target runs (default 60); e.g. --seconds 1800 for a long run
#   --workers N   parallel fuzzing processes per target (libFuzzer -fork; default 1)
#   target        a name from build-fuzz/fuzzers.txt (default: all of them)
# A target's seeds are build-fuzz/seeds/<target> if the seed writer made that, else build-fuzz/seeds.
# The grown corpus stays in build-fuzz/corpus/<target>, findings go to build-fuzz/findings/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
workers=1
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds=$2; shift 2 ;;
        --workers) workers=$2; shift 2 ;;
        -*) echo "usage: $0 [--seconds N] [--workers N] [target ...]" >&2; exit 2 ;;
        *) targets+=("$1"); shift ;;
    esac
done

build_dir=build-fuzz
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=ASan -DSORVALLE_FUZZERS=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > /dev/null
cmake --build "$build_dir" --parallel "$(nproc)" --target fuzzers

source scripts/sanitizer-options.sh
cd "$build_dir"

[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(grep -v '^$' fuzzers.txt)

rm -rf seeds
./fuzz/fuzz_seed_corpus seeds

for target in "${targets[@]}"; do
    rm -rf "findings/$target"
    mkdir -p "corpus/$target" "findings/$target"
    log="findings/$target/last-run.log"
    echo "== $target: ${seconds} s, $workers worker(s)"
    # A target with seeds of its own (its input is not one frame) gets those.
    seed_dir=seeds
    [ -d "seeds/$target" ] && seed_dir="seeds/$target"
    parallel=()
    [ "$workers" -gt 1 ] && parallel=(-fork="$workers" -ignore_crashes=0)
    status=0
    "./fuzz/$target" -max_len=1024 -timeout=10 -max_total_time="$seconds" -print_final_stats=1 \
        "${parallel[@]}" -artifact_prefix="findings/$target/" "corpus/$target" "$seed_dir" > "$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "FAIL: $target found something (exit status $status); input in $build_dir/findings/$target/" >&2
        exit 1
    fi
    # One process prints its final statistics; the forked workers' total is in the last status line.
    if [ "$workers" -gt 1 ]; then
        runs=$(grep -o '^#[0-9]*' "$log" | tail -n 1 | tr -d '#' || true)
    else
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | awk '{ print $2 }' || true)
    fi
    echo "$target: $runs executions in $seconds s, corpus $(ls "corpus/$target" | wc -l) inputs, no findings"
done
