#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs (only those missing) and
# builds everything into build/ (programs in build/bin).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make
          qt6-base-dev qt6-serialport-dev
          libgtest-dev libgmock-dev
          clang libclang-rt-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
