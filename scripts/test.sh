#!/usr/bin/env bash
# Sets up the machine, builds Ombrelia and runs its tests offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
