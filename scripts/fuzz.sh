#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer into build-fuzz/ and runs
# each for SECONDS (default 20), two at a time, starting from the committed
# seeds in tests/fuzz/corpus/<target>. New inputs the fuzzer finds go to
# build-fuzz/corpus/<target>; an input that breaks a target is kept in
# build-fuzz/artifacts/ and fails the run.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(fuzz_receive fuzz_queries fuzz_settings fuzz_sim fuzz_command_line)

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitizers -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
    -DLETTORE_FUZZ=ON >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]}"

mkdir -p build-fuzz/artifacts build-fuzz/logs
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1

run() {
    local target=$1
    mkdir -p "build-fuzz/corpus/$target"
    "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$target-" \
        "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target" >"build-fuzz/logs/$target.log" 2>&1
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
    log="build-fuzz/logs/$target.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    coverage=$(grep -E '^#[0-9]+' "$log" | grep -o 'cov: [0-9]* ft: [0-9]*' | tail -1)
    echo "$target: ${runs:-?} runs in ${seconds} s, ${coverage:-no coverage line}"
done
if ((${#failed[@]})); then
    for target in "${failed[@]}"; do
        echo "== $target failed; its log:"
        tail -60 "build-fuzz/logs/$target.log"
    done
    exit 1
fi
