#!/usr/bin/env bash
# Builds (scripts/build.sh) and runs every benchmark, then prints one Markdown table of all
# their figures, for the README's performance section. The two receive-path benchmarks and the
# settings read end JUCE's message loop for good, so each runs in a process of its own (the
# visible-window one in a virtual X display).
#
# Usage: scripts/bench.sh [--short]
#   --short   a quick pass that only shows the benchmarks still build and run (CI)
set -euo pipefail
cd "$(dirname "$0")/.."

min_time=()
[ "${1:-}" = "--short" ] && min_time=(--benchmark_min_time=0.01)

bash scripts/build.sh > /dev/null
build_dir="${BUILD_DIR:-build}"
out="$build_dir/bench-results"
mkdir -p "$out"

"$build_dir/bench/sorvalle_bench" --benchmark_filter='-^(receive|settingsRead)' "${min_time[@]}" \
    --benchmark_out="$out/main.json" --benchmark_out_format=json > "$out/main.txt" 2>&1
"$build_dir/bench/sorvalle_bench" --benchmark_filter=^receivePathToLogLine \
    --benchmark_out="$out/receive.json" --benchmark_out_format=json > "$out/receive.txt" 2>&1
"$build_dir/bench/sorvalle_bench" --benchmark_filter=^settingsReadPerExchange \
    --benchmark_out="$out/settings-read.json" --benchmark_out_format=json > "$out/settings-read.txt" 2>&1
bash bench/run-window-bench.sh "$build_dir" \
    --benchmark_out="$(realpath "$out")/window.json" --benchmark_out_format=json > "$out/window.txt" 2>&1

python3 - "$out/main.json" "$out/receive.json" "$out/settings-read.json" "$out/window.json" <<'PY'
import json, sys

def figure(value):
    for limit, suffix in ((1e9, " G"), (1e6, " M"), (1e3, " k")):
        if abs(value) >= limit:
            return f"{value / limit:.3g}{suffix}"
    return f"{value:.3g}"

known = {"real_time", "cpu_time", "time_unit", "iterations", "name", "run_name", "run_type",
         "repetitions", "repetition_index", "threads", "family_index", "per_family_instance_index",
         "label", "items_per_second", "error_occurred", "error_message", "aggregate_name"}
rows, failed = [], False
for path in sys.argv[1:]:
    for b in json.load(open(path))["benchmarks"]:
        if b.get("error_occurred"):
            failed = True
            rows.append((b["name"], "ERROR", "", b.get("error_message", "")))
            continue
        time = f'{b["real_time"]:.3g} {b["time_unit"]}'
        rate = figure(b["items_per_second"]) + "/s" if "items_per_second" in b else ""
        counters = [f"{k} {figure(v)}" for k, v in b.items() if k not in known and isinstance(v, (int, float))]
        if b.get("label"):
            counters.append(b["label"])
        rows.append((b["name"], time, rate, ", ".join(counters)))

print("| benchmark | time per iteration | items | figures |")
print("|---|---|---|---|")
for row in rows:
    print("| " + " | ".join(row) + " |")
sys.exit(1 if failed else 0)
PY
