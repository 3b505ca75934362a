#!/usr/bin/env bash
# Prints the lines of the tests against the lines of the product, and their
# ratio: every tracked file under tests/ except the fuzz corpus, against
# every tracked file under src/, tools/ and bench/ except images and sounds.
set -euo pipefail
cd "$(dirname "$0")/.."

lines() { git ls-files -z "$@" | xargs -0 cat | wc -l; }

tests=$(lines tests ':!tests/fuzz/corpus/')
product=$(lines src tools bench ':!*.svg' ':!*.png' ':!*.ico' ':!*.jpg' ':!*.wav' ':!*.mp3')
echo "test lines: $tests, product lines: $product, ratio: $(awk "BEGIN { printf \"%.2f\", $tests / $product }")"
