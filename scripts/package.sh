#!/usr/bin/env bash
# Builds the Debian package of the three programs from this checkout:
# installs what the build needs when missing, builds the programs into
# build/ and leaves build/lettore_<version>_<arch>.deb. Install it with
#   sudo apt-get install ./build/lettore_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --programs lettore-console lettore lettore-sim
(cd build && cpack -G DEB)
ls build/lettore_*.deb
