#!/usr/bin/env bash
# Installs what is missing, builds, checks the sources' format and runs
# clang-tidy over them (scripts/lint.sh), and runs every test: the suite as
# built, the suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# a short run of each fuzz target, and the libraries without Qt cross-built
# for Windows with their unit tests under Wine. Prints how long each part
# took, and at the end the size of the tests against the product.
set -euo pipefail
cd "$(dirname "$0")/.."

phase() {
    local name=$1 start=$SECONDS
    shift
    "$@"
    echo "== $name: $((SECONDS - start)) s"
}

suite() {
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 240
}

phase "set-up and build" bash scripts/setup.sh
phase "format check and clang-tidy" bash scripts/lint.sh
phase "suite" suite
phase "sanitizer build and suite" bash scripts/sanitize.sh
phase "fuzz smoke" bash scripts/fuzz.sh 20
phase "windows build and unit tests under wine" bash scripts/windows-tests.sh
bash scripts/test-size.sh
