#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ (scripts/sanitized-build.sh), the programs the tests start
# (lettore, lettore-sim) included, and runs it; the fuzz targets replay their
# stored inputs. Any sanitizer report, from a test or from a program
# it started, fails the run: every process writes its reports into
# build-asan/sanitizer-reports/, and the run fails when that folder is not
# empty. Tests labelled `desktop` (they drive a real desktop session), the
# soak tests and the package's installation (what it checks is the
# package, which is built from the plain build) are left out.
set -euo pipefail
cd "$(dirname "$0")/.."

reports="$PWD/build-asan/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:exitcode=86:detect_leaks=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:exitcode=86:print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

# Test discovery runs the test programs during the build: under the same
# options, so a report there fails too.
bash scripts/sanitized-build.sh
status=0
# The soak tests measure the programs' memory, which the sanitizers' own
# bookkeeping makes grow; they run in the normal suite.
ctest --test-dir build-asan --label-exclude 'desktop|soak|package' --exclude-regex '^SoakTest\.' --output-on-failure -j"$(nproc)" --timeout 600 || status=$?

if compgen -G "$reports/*" >/dev/null; then
    echo "Sanitizer reports:"
    for report in "$reports"/*; do
        echo "== $report"
        cat "$report"
    done
    exit 1
fi
exit "$status"
