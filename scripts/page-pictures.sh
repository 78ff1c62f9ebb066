#!/usr/bin/env bash
# Saves a picture of each page of the wizard into docs/, drawn under a virtual display, and one
# of the program as it starts, in a window with its frame and icon.
set -euo pipefail
cd "$(dirname "$0")/.."
missing=()
for tool in xvfb-run:xvfb import:imagemagick openbox:openbox; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool##*:}")
done
[ ${#missing[@]} -eq 0 ] || apt-get install -y -qq "${missing[@]}" xauth >/dev/null
bash scripts/build.sh build
mkdir -p docs
display="-screen 0 800x640x24 -dpi 96"
xvfb-run -a -s "$display" ./build/tests/page_pictures docs
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
XDG_CONFIG_HOME=$settings xvfb-run -a -s "$display" bash -c '
  openbox >/dev/null 2>&1 & sleep 1
  ./build/src/ombrelia & sleep 2
  import -window root docs/window.png
  kill %2 %1'
ls docs/*.png
