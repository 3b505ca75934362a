#!/usr/bin/env bash
# Prints the size of the tests against the size of the product, and their
# ratios: every tracked file under tests/ except the fuzz corpus, against
# every tracked file under src/, tools/ and bench/ except images and sounds.
# Lines count every such file; bytes count the C++ and Python sources among
# them, comments included, which packing lines cannot move.
set -euo pipefail
cd "$(dirname "$0")/.."

tests=(tests ':!tests/fuzz/corpus/')
product=(src tools bench ':!*.svg' ':!*.png' ':!*.ico' ':!*.jpg' ':!*.wav' ':!*.mp3')
sources=('*.cpp' '*.h' '*.py')

count() {  # count wc-flag pathspec...
    local flag=$1
    shift
    git ls-files -z -- "$@" | xargs -0 cat | wc "$flag"
}
sourceCount() {  # sourceCount wc-flag folder...
    local flag=$1 pathspecs=()
    shift
    for folder in "$@"; do
        [[ $folder == :!* ]] && continue
        for pattern in "${sources[@]}"; do pathspecs+=("$folder/$pattern"); done
    done
    git ls-files -z -- "${pathspecs[@]}" ':!tests/fuzz/corpus/' | xargs -0 cat | wc "$flag"
}
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }

testLines=$(count -l "${tests[@]}")
productLines=$(count -l "${product[@]}")
testBytes=$(sourceCount -c "${tests[@]}")
productBytes=$(sourceCount -c "${product[@]}")
echo "test lines: $testLines, product lines: $productLines, ratio: $(ratio "$testLines" "$productLines")"
echo "test bytes (C++ and Python): $testBytes, product bytes: $productBytes, ratio: $(ratio "$testBytes" "$productBytes")"
