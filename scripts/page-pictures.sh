#!/usr/bin/env bash
# Saves a picture of each page of the wizard into docs/, drawn under a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v xvfb-run >/dev/null || apt-get install -y -qq xvfb xauth >/dev/null
bash scripts/build.sh build
mkdir -p docs
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" ./build/tests/page_pictures docs
ls docs/*.png
