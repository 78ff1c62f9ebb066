#!/usr/bin/env bash
# Installs the build into a throwaway prefix and checks that a Linux desktop finds the program,
# its icon and a valid desktop entry there, valid metainfo for a software centre, and the manual.
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
metainfo="$prefix/share/metainfo/com.korvath.ombrelia.metainfo.xml"
appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null
grep -q '<launchable type="desktop-id">ombrelia.desktop</launchable>' "$metainfo"
manual="$prefix/share/man/man1/ombrelia.1.gz"
zcat "$manual" | grep -q '^\.TH OMBRELIA 1'
# The manual reads without a warning from groff.
warnings=$(zcat "$manual" | LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l - 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "$warnings" >&2; exit 1; }
echo "installed: program, icon, desktop entry, metainfo and manual"
