#!/usr/bin/env bash
# Photographs the real windows, on the virtual reader, on a virtual desktop:
# the console, the monitor in both layouts and the traffic log, at 96 DPI
# (into docs/screenshots, which the README shows), at 120 DPI (larger text)
# and at scale 2 (QT_SCALE_FACTOR=2), the last two into build/screenshots.
#   scripts/screenshots.sh            builds the programs first if need be
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/bin
[ -x "$bin/lettore-console" ] && [ -x "$bin/lettore-sim" ] \
    || bash scripts/setup.sh --programs lettore-console lettore-sim
shoot() {  # folder, then the environment of the console
    mkdir -p "$1"
    env "${@:2}" tests/support/with-desktop.sh /usr/bin/python3 scripts/screenshots.py "$bin" "$1"
}
shoot docs/screenshots QT_FONT_DPI=96
shoot build/screenshots/120dpi QT_FONT_DPI=120
shoot build/screenshots/scale2 QT_SCALE_FACTOR=2
