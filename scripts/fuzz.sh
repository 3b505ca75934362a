#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer into build-asan/
# (scripts/sanitized-build.sh) and runs each for SECONDS (default 20), two at
# a time, starting from the committed seeds in tests/fuzz/corpus/<target>.
# New inputs the fuzzer finds go to build-asan/fuzz-runs/corpus/<target>, the
# output of each run to build-asan/fuzz-runs/logs/; an input that breaks a
# target is kept in build-asan/fuzz-runs/artifacts/ and fails the run.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(fuzz_receive fuzz_settings fuzz_sim fuzz_command_line fuzz_lettura fuzz_traffic)

bash scripts/sanitized-build.sh "${targets[@]}"

out=build-asan/fuzz-runs
mkdir -p "$out/artifacts" "$out/logs"
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1

run() {
    local target=$1
    mkdir -p "$out/corpus/$target"
    "build-asan/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$PWD/$out/artifacts/$target-" \
        "$out/corpus/$target" "tests/fuzz/corpus/$target" >"$out/logs/$target.log" 2>&1
}

failed=()
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    for target in "${targets[@]:i:2}"; do
        run "$target" &
        pids+=("$!:$target")
    done
    for entry in "${pids[@]}"; do
        wait "${entry%%:*}" || failed+=("${entry#*:}")
    done
done

for target in "${targets[@]}"; do
    log="$out/logs/$target.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    coverage=$(grep -E '^#[0-9]+' "$log" | grep -o 'cov: [0-9]* ft: [0-9]*' | tail -1)
    echo "$target: ${runs:-?} runs in ${seconds} s, ${coverage:-no coverage line}"
done
if ((${#failed[@]})); then
    for target in "${failed[@]}"; do
        echo "== $target failed; its log:"
        tail -60 "$out/logs/$target.log"
    done
    exit 1
fi
