#!/usr/bin/env bash
# Sets up the machine, builds Ombrelia (Release) into build-package and makes the Debian
# package there: build-package/ombrelia_<version>_<architecture>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-package -j2
rm -f build-package/ombrelia_*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls build-package/ombrelia_*.deb
