#!/usr/bin/env bash
# Checks the C++ sources without running them:
#   scripts/lint.sh          both checks below
#   scripts/lint.sh format   every tracked C++ file (the fuzz corpus aside)
#                            against .clang-format; fails naming the files
#                            that differ. `clang-format -i FILE` formats one.
#   scripts/lint.sh tidy     clang-tidy with the checks of .clang-tidy over
#                            the product's sources (src/, tools/, bench/), on
#                            the compile commands of build/, two files at a
#                            time; any warning fails. Needs a build in build/
#                            (scripts/setup.sh): the Qt files it generates
#                            are part of what clang-tidy reads.
set -euo pipefail
cd "$(dirname "$0")/.."

format() {
    local output status=0
    output=$(git ls-files -z -- '*.cpp' '*.h' ':!tests/fuzz/corpus/' \
        | xargs -0 clang-format --dry-run --Werror 2>&1) || status=$?
    ((status)) || {
        echo "Format: every C++ file as .clang-format says."
        return 0
    }
    local differ
    differ=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: .*\[-Wclang-format-violations\]$/\1/p' <<<"$output" | sort -u)
    if [ -z "$differ" ]; then
        # clang-format itself failed (a bad .clang-format, a file it cannot read).
        echo "$output" >&2
        return 1
    fi
    echo "Not formatted as .clang-format says (clang-format -i FILE formats one):"
    sed 's/^/  /' <<<"$differ"
    return 1
}

tidy() {
    if [ ! -f build/compile_commands.json ]; then
        echo "No build/compile_commands.json: build first (scripts/setup.sh)." >&2
        return 1
    fi
    # The product's files as the build compiles them, each once; Qt's
    # generated files (in build/) and the other platform's files (not
    # compiled here) are not among them. run-clang-tidy would do the same,
    # but Debian 14's colours its output and echoes each command line, so
    # xargs runs clang-tidy, one file to a process so that two files'
    # warnings do not mix. xargs fails when any clang-tidy does.
    local status=0
    sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' build/compile_commands.json \
        | grep -E "^$PWD/(src|tools|bench)/" | sort -u | tr '\n' '\0' \
        | xargs -0 -n 1 -P 2 clang-tidy -p build --quiet 2>&1 \
        | { grep --line-buffered -v '^[0-9]* warnings\? generated\.$' || true; } || status=$?
    if ((status)); then
        echo "clang-tidy: warnings above (.clang-tidy says which checks run and why)."
        return 1
    fi
    echo "clang-tidy: no warnings."
}

case "${1:-all}" in
format) format ;;
tidy) tidy ;;
all) format && tidy ;;
*) echo "usage: $0 [format|tidy]" >&2 && exit 2 ;;
esac
