#!/usr/bin/env bash
# Builds TARGETs (everything when none is named) into build-asan/ with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer, and with the coverage
# hooks libFuzzer needs, so that one build serves both the sanitizer suite
# (scripts/sanitize.sh) and the fuzz targets (scripts/fuzz.sh). Clang, since
# its runtime writes UndefinedBehaviorSanitizer reports to log_path too,
# where gcc's combined runtime only prints them. Line tables are all the
# reports need. -O1, not -O0: it builds in about 1.5 times as long, but the
# fuzz targets run four to five times as many inputs a second.
#
#   bash scripts/sanitized-build.sh [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
    -DCMAKE_CXX_FLAGS="$sanitizers -fsanitize=fuzzer-no-link -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
    -DLETTORE_FUZZ=ON >/dev/null
if (($#)); then
    cmake --build build-asan -j"$(nproc)" --target "$@"
else
    cmake --build build-asan -j"$(nproc)"
fi
