#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing and builds into build/
# (programs in build/bin).
#   scripts/setup.sh                     everything: programs, tests, benchmarks
#   scripts/setup.sh --programs T [T..]  only the programs named, no test packages
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-dev: dpkg-shlibdeps, which finds the package's dependencies;
# qt6-translations-l10n: Qt's own buttons and dialogs in Italian.
build=(cmake g++ make
       qt6-base-dev qt6-serialport-dev qt6-multimedia-dev
       libqt6svg6 qt6-qpa-plugins qt6-translations-l10n dpkg-dev)
# The tests: GoogleTest, and a desktop of their own to drive the console
# through its accessibility tree (virtual X display, window manager, D-Bus,
# the accessibility bus, and Python's AT-SPI and X bindings); clang and
# libFuzzer for the sanitizer build and the fuzz targets; pyserial for the
# benchmark that sets a plain Python client beside lettore; tshark, which
# opens the traffic captures with the dissector the package ships; ser2net,
# a real device server (raw TCP and RFC 2217) in front of the virtual reader;
# clang-format and clang-tidy, the format check and the linter.
tests=(libgtest-dev libgmock-dev clang libclang-rt-dev clang-format clang-tidy tshark
       xvfb xauth openbox dbus-daemon dbus-bin at-spi2-core
       python3 python3-pyatspi python3-xlib python3-serial ser2net
       desktop-file-utils)
# The Windows cross-build of the libraries without Qt and their unit tests,
# run under Wine: MinGW-w64 with POSIX threads, GoogleTest's sources.
windows=(g++-mingw-w64-x86-64-posix googletest wine wine64)

targets=()
packages=("${build[@]}")
if [ "${1:-}" = "--programs" ]; then
    shift
    targets=("$@")
else
    packages+=("${tests[@]}" "${windows[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    # wireshark-common (tshark's) asks whether anyone may capture; the
    # answer is given beforehand: no. sudo drops the environment, so the
    # front end is set on its far side.
    if command -v debconf-set-selections >/dev/null; then
        echo "wireshark-common wireshark-common/install-setuid boolean false" | $sudo debconf-set-selections
    fi
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if ((${#targets[@]})); then
    echo "Building ${targets[*]} ..."
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLETTORE_BUILD_TESTS=OFF >/dev/null
    cmake --build build -j"$(nproc)" --target "${targets[@]}"
else
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLETTORE_BUILD_TESTS=ON
    cmake --build build -j"$(nproc)"
fi
