#!/usr/bin/env bash
# Starts the program under a virtual display and saves a picture of the screen.
# Usage: screenshot.sh OUTPUT.png [seconds to wait]
set -euo pipefail
out=$1
wait=${2:-3}
here=$(cd "$(dirname "$0")/.." && pwd)
xvfb-run -a -s "-screen 0 800x600x24" bash -c "
  '$here/build/src/ombrelia' & pid=\$!
  sleep $wait
  import -window root '$out'
  kill \$pid"
