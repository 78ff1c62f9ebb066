#!/usr/bin/env bash
# Builds Ombrelia for Windows with its tests (scripts/windows/build.sh --tests) and runs them
# under Wine: the unit tests; the packed program's --version, its manifest and version
# information (and the installer's), its binaries stripped, the licence texts in the zip; a name
# beyond ASCII as a console window shows it; the installer and the uninstaller
# (scripts/windows/installer-test.sh); and, when the OMBRELIA_TEST_* variables name a live T-SQL
# server, the packed program against it beside the Linux program (scripts/windows/live-test.sh;
# the Linux program is build/src/ombrelia of scripts/test.sh). Wine runs in a prefix of its own
# under the cache folder, on a virtual display.
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
printed=$(wine "$packed/ombrelia.com" --version 2>"$WINEPREFIX/version.err" | tr -d '\r')
if [ "$printed" = "ombrelia $version" ]; then say "--version: $printed"; else
  say "FAILED: --version printed '$printed'"
  failed=1
fi
grep -q 'the Windows Credential Manager' "$WINEPREFIX/version.err" ||
  { say "FAILED: --version does not name the Credential Manager: $(cat "$WINEPREFIX/version.err")"; failed=1; }
bash scripts/windows/check-resources.sh "$version" "$packed/ombrelia.exe" "$packed/ombrelia.com" \
  "$repo/dist/ombrelia-$version-setup.exe" && say "manifest and version information: in all three" ||
  failed=1
for binary in "$packed"/*.exe "$packed"/*.com $(find "$packed" -name '*.dll'); do
  x86_64-w64-mingw32-objdump -h "$binary" | grep -q '\.debug_' &&
    { say "FAILED: $(basename "$binary") is not stripped"; failed=1; }
  x86_64-w64-mingw32-nm "$binary" 2>&1 | grep -q 'no symbols' ||
    { say "FAILED: $(basename "$binary") keeps its symbols"; failed=1; }
done
zipped=$(unzip -Z1 "$repo/dist/ombrelia-$version-windows-x64.zip")
for notice in NOTICES.txt licenses/Ombrelia.txt licenses/Qt.txt licenses/QtKeychain.txt \
  licenses/GCC-runtime.txt licenses/MinGW-w64.txt licenses/common/LGPL-3.txt licenses/common/GPL-3.txt; do
  grep -qx "ombrelia-$version-windows-x64/$notice" <<<"$zipped" ||
    { say "FAILED: the zip lacks $notice"; failed=1; }
done

# What a console window shows, read from its screen buffer (tests/tools/console_capture.cpp: under
# Wine a program whose output goes to a pipe has no console, so the helper makes one and reads it
# back): a name beyond ASCII that the command line repeats on standard error, exactly.
say "a console window"
capture=$build/tests/console_capture.exe
export LC_ALL=C.UTF-8 # Wine hands arguments on from UTF-8
screen=$(wine "$capture" cmd /c "$(winepath "$packed/ombrelia.com")" Größe_Übersicht 2>&1 | tr -d '\r' || true)
if grep -q "Unknown command 'Größe_Übersicht'" <<<"$screen"; then say "the console shows Größe_Übersicht"; else
  say "FAILED: the console showed: $screen"
  failed=1
fi

bash scripts/windows/installer-test.sh "$repo/dist/ombrelia-$version-setup.exe" \
  "$build/tests/credential.exe" "$version" || failed=1

if [ -n "${OMBRELIA_TEST_SERVER:-}" ]; then
  say "against the live server"
  OMBRELIA_CONSOLE_CAPTURE=$capture bash scripts/windows/live-test.sh "$packed/ombrelia.com" \
    "$repo/build/src/ombrelia" || failed=1
fi
exit "$failed"
