#!/usr/bin/env bash
# Installs the build into a throwaway prefix and checks that a Linux desktop finds the program,
# its icon and a valid desktop entry there.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/ombrelia"
test -s "$prefix/share/icons/hicolor/scalable/apps/ombrelia.svg"
entry="$prefix/share/applications/ombrelia.desktop"
desktop-file-validate "$entry"
grep -qx 'Name=Ombrelia' "$entry"
grep -qx 'Icon=ombrelia' "$entry"
grep -qx 'Categories=Development;Database;' "$entry"
echo "installed: program, icon and desktop entry"
