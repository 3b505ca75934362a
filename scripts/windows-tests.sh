#!/usr/bin/env bash
# Cross-builds the libraries that need no Qt (link, reader, registry,
# commands, settings, port naming, the command line's parsing) and their
# unit tests for 64-bit Windows into build-win/, and runs the tests under
# Wine: headless, quiet, in a Wine prefix of the build's own.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=packaging/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLETTORE_QT=OFF -DLETTORE_BUILD_TESTS=ON >/dev/null
cmake --build build-win -j"$(nproc)"

# The Windows files that need Qt cannot be built here: Debian has no Qt
# for MinGW. They are compiled for syntax against this machine's Qt
# headers, which declare Qt's Windows side too.
qt=/usr/include/$(gcc -print-multiarch)/qt6
for file in src/link/SerialDevice_win.cpp tools/cli/EndRequests_win.cpp tools/cli/TraceFile_win.cpp \
            tools/cli/TraceFile.cpp src/app/CloseOnSignal_win.cpp; do
    x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Wall -Wextra \
        -I"$qt" -I"$qt/QtCore" -I"$qt/QtSerialPort" -I"$qt/QtWidgets" -I"$(dirname "$file")" "$file"
done

# No Mono or Gecko: the tests are plain console programs, and Wine would
# otherwise offer to download them.
export WINEPREFIX="$PWD/build-win/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# A fresh prefix each run, made before the tests so no test pays for it;
# its Wine server is ended with the run.
rm -rf "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT
wineboot --init >/dev/null 2>&1
ctest --test-dir build-win --output-on-failure -j"$(nproc)" --timeout 240
