#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/, the programs the tests start (lettore, lettore-sim)
# included, and runs it. Any sanitizer report, from a test or from a program
# it started, fails the run: every process writes its reports into
# build-asan/sanitizer-reports/, and the run fails when that folder is not
# empty. Tests labelled `desktop` (they drive a real desktop session) are
# left out.
set -euo pipefail
cd "$(dirname "$0")/.."

# Built with clang: its sanitizer runtime writes UndefinedBehaviorSanitizer
# reports to log_path too, where gcc's combined runtime only prints them.
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null

reports="$PWD/build-asan/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:exitcode=86:detect_leaks=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:exitcode=86:print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

# Test discovery runs the test programs during the build: under the same
# options, so a report there fails too.
cmake --build build-asan -j"$(nproc)"
status=0
ctest --test-dir build-asan --label-exclude desktop --output-on-failure -j"$(nproc)" --timeout 600 || status=$?

if compgen -G "$reports/*" >/dev/null; then
    echo "Sanitizer reports:"
    for report in "$reports"/*; do
        echo "== $report"
        cat "$report"
    done
    exit 1
fi
exit "$status"
