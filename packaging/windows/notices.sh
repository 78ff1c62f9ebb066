#!/usr/bin/env bash
# Lays the licence texts of what the Windows package ships beside the program:
#   notices.sh FOLDER
# FOLDER/NOTICES.txt    what comes with the program, under which licence, and where the exact
#                       sources are (the installer shows it)
# FOLDER/licenses/      the full texts: each library's Debian copyright file (whose source
#                       package the library is built from) and the common licences they name
# The libraries are Qt 6 (qt6-base, LGPL-3), QtKeychain's interface (qtkeychain, BSD-2-Clause),
# the GCC runtime (libstdc++, libgcc: GPL-3 with the GCC Runtime Library Exception) and MinGW-w64's
# winpthreads (MIT); GoogleTest is linked by the tests alone, and not shipped. Texts are written
# with CR LF line ends, as Windows' own editors read them.
set -euo pipefail
folder=$1
repo=$(cd "$(dirname "$0")/../.." && pwd)
docs=/usr/share/doc
licenses=$folder/licenses

# name|Debian package whose copyright file covers it|the files it is|what more its source holds
components=(
  "Qt|libqt6core6|the Qt6*.dll files and the plugins in platforms\\ and styles\\|"
  "QtKeychain|libqt6keychain1|qt6keychain.dll|its interface, with Ombrelia's own Credential Manager jobs (scripts/windows/keychain)"
  "GCC-runtime|gcc-mingw-w64-x86-64-posix-runtime|libstdc++-6.dll, libgcc_s_seh-1.dll|"
  "MinGW-w64|mingw-w64-x86-64-dev|libwinpthread-1.dll|"
)
common=(Apache-2.0 Artistic GFDL-1.2 GFDL-1.3 GPL-2 GPL-3 LGPL-2 LGPL-2.1 LGPL-3)

crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

source_of() { dpkg-query -W -f='${source:Package} ${source:Version}' "$1"; }

rm -rf "$licenses"
mkdir -p "$licenses/common"
crlf "$repo/packaging/deb/copyright" "$licenses/Ombrelia.txt"
for license in "${common[@]}"; do
  crlf "/usr/share/common-licenses/$license" "$licenses/common/$license.txt"
done

{
  echo "Ombrelia $(sed -n 's/^project(Ombrelia VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")"
  echo "Copyright (C) 2026 Korvath. Its licence: licenses\\Ombrelia.txt."
  echo
  echo "Ombrelia comes with these libraries, each under its own licence. Each is built from"
  echo "the Debian 12 source package named, and can be had from Debian's archive with"
  echo "'apt-get source PACKAGE=VERSION'; scripts/windows/build-libraries.sh of Ombrelia's"
  echo "sources builds them for Windows from there. The LGPL's libraries (Qt) are DLLs of their"
  echo "own: a build of them from changed sources can take their place beside the program."
  echo "Their licences, in full, are in the licenses folder; the common licences they name"
  echo "(the LGPL, the GPL and others) in licenses\\common."
  for component in "${components[@]}"; do
    IFS='|' read -r name package dlls more <<<"$component"
    [ -f "$docs/$package/copyright" ] || { echo "notices: $docs/$package/copyright is missing" >&2; exit 1; }
    crlf "$docs/$package/copyright" "$licenses/$name.txt"
    echo
    echo "$name: $dlls"
    echo "  source: $(source_of "$package")${more:+: $more}"
    echo "  licence: licenses\\$name.txt"
  done
} >"$folder/NOTICES.tmp"
crlf "$folder/NOTICES.tmp" "$folder/NOTICES.txt"
rm "$folder/NOTICES.tmp"
