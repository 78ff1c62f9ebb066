#!/usr/bin/env bash
# Builds Ombrelia for Windows with its tests (scripts/windows/build.sh --tests) and runs them
# under Wine: the unit tests, the packed program's --version, the installer installed silently,
# run and removed again, and, when the OMBRELIA_TEST_* variables name a live T-SQL server, the
# packed program against it beside the Linux program (scripts/windows/live-test.sh; the Linux
# program is built/src/ombrelia of scripts/test.sh). Wine runs in a prefix of its own under the
# cache folder, on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$PWD
build=${OMBRELIA_WINDOWS_BUILD:-build-windows}
cache=${OMBRELIA_WINDOWS_CACHE:-/var/cache/ombrelia-windows}
export OMBRELIA_WINDOWS_CACHE=$cache

say() { printf 'windows tests: %s\n' "$*"; }

bash scripts/windows/build.sh --tests

version=$(sed -n 's/^project(Ombrelia VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
packed=$repo/dist/ombrelia-$version-windows-x64

# Wine: a prefix of the tests' own, quiet, on a display of its own.
export WINEPREFIX=${OMBRELIA_WINEPREFIX:-$cache/wine-tests}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono, Gecko or menu entries; a program that crashes fails at once, without Wine's debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
if [ -z "${DISPLAY:-}" ]; then
  display=:$((90 + RANDOM % 9))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
fi
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
bash scripts/windows/wine-prefix.sh

# The DLLs the test programs load, found by Wine through its PATH.
winepath() { printf 'Z:%s' "${1//\//\\}"; }
export WINEPATH="$(winepath "$cache/qt/bin");$(winepath "$cache/qtkeychain/bin");$(winepath "$cache/googletest/bin");$(winepath "$packed")"

failed=0
say "unit tests"
(cd "$build" && ctest --output-on-failure -L windows) || failed=1

say "the packed program"
printed=$(wine "$packed/ombrelia.com" --version 2>/dev/null | tr -d '\r')
if [ "$printed" = "ombrelia $version" ]; then say "--version: $printed"; else
  say "FAILED: --version printed '$printed'"
  failed=1
fi

say "the installer, silently"
wine "$repo/dist/ombrelia-$version-setup.exe" /S
wineserver -w
installed=$(find "$WINEPREFIX/drive_c/users" -maxdepth 5 -type d -path '*Programs/Ombrelia' |
  head -n 1)
if [ -n "$installed" ] && [ "$(wine "$installed/ombrelia.com" --version 2>/dev/null | tr -d '\r')" = \
  "ombrelia $version" ]; then
  say "installed in $installed, and runs"
  wine "$installed/uninstall.exe" /S
  wineserver -w # also waits for the copy of itself that the uninstaller finishes from
  if [ -e "$installed/ombrelia.exe" ]; then say "FAILED: the uninstaller left the program"; failed=1; fi
else
  say "FAILED: the installed program does not run"
  failed=1
fi

if [ -n "${OMBRELIA_TEST_SERVER:-}" ]; then
  say "against the live server"
  bash scripts/windows/live-test.sh "$packed/ombrelia.com" "$repo/build/src/ombrelia" || failed=1
fi
exit "$failed"
