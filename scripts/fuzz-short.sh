#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz") and runs each for a short while,
# starting from its committed corpus in fuzz/corpus/<target>. Fails on any
# finding: a sanitizer report, a crash, a hang, or a broken promise the
# target checks (something the deliverable made outliving it).
#
#   scripts/fuzz-short.sh [seconds per target, default 60]
#
# New inputs the run finds go to a scratch folder, so the committed corpus
# changes only when someone copies inputs into it on purpose.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
targets=(driver_calls registry_values sheet_pages)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]/%/_fuzzer}"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for target in "${targets[@]}"; do
    echo "=== fuzz $target (${seconds}s)"
    mkdir -p "$scratch/$target" "$scratch/findings"
    # Leaks are checked by each target itself (heap blocks, handles,
    # objects, timers); libFuzzer's own leak pass would cost most of the
    # time. The outer timeout only guards against a stuck exit.
    timeout -k 10 $((seconds + 120)) "build/fuzz/bin/${target}_fuzzer" \
        -max_total_time="$seconds" -timeout=10 -detect_leaks=0 -print_final_stats=1 \
        -artifact_prefix="$scratch/findings/" \
        "$scratch/$target" "fuzz/corpus/$target" 2>"$scratch/$target.log" || {
        tail -n 60 "$scratch/$target.log"
        echo "fuzz $target: finding (input saved above in the log as Base64)" >&2
        exit 1
    }
    grep -E "^stat::(number_of_executed_units|average_exec_per_sec)" "$scratch/$target.log"
done
