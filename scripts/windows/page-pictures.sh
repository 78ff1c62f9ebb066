#!/usr/bin/env bash
# Saves a picture of each page of the Windows build into docs/windows/, drawn under Wine on a
# virtual display (the Windows platform plugin and the Windows style), as scripts/page-pictures.sh
# does for Linux. Builds the Windows program and its tests first (scripts/windows/build.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${OMBRELIA_WINDOWS_BUILD:-build-windows}
cache=${OMBRELIA_WINDOWS_CACHE:-/var/cache/ombrelia-windows}
bash scripts/windows/build.sh --tests
export WINEPREFIX=${OMBRELIA_WINEPREFIX:-$cache/wine-tests} WINEDEBUG=-all
bash scripts/windows/wine-prefix.sh
mkdir -p docs/windows
# The cache's wine-run puts the libraries' DLLs on Wine's path.
xvfb-run -a -s "-screen 0 800x640x24 -dpi 96" bash -c "
  '$cache/bin/wine-run' '$build/tests/page_pictures.exe' 'Z:${PWD//\//\\}\\docs\\windows'
  wineserver -w"
ls docs/windows/*.png
