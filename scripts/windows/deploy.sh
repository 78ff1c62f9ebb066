#!/usr/bin/env bash
# Lays beside Windows programs what they need to start on a Windows without Qt: every DLL they
# load, found again in the DLLs each of those loads (Qt, QtKeychain, the MinGW runtime), and Qt's
# plugins for the platform, the Windows style and the SVG icon with theirs.
#   deploy.sh FOLDER PROGRAM...
# DLLs that are Windows' own (KERNEL32, odbc32 ...) are found nowhere here, and stay Windows'.
set -euo pipefail
folder=$1
shift
cache=${OMBRELIA_WINDOWS_CACHE:-/var/cache/ombrelia-windows}
triple=x86_64-w64-mingw32
search=("$cache/qt/bin" "$cache/qtkeychain/bin" "$cache/googletest/bin"
  /usr/lib/gcc/$triple/*-posix /usr/$triple/lib)

declare -A laid=()

found_dll() {
  local dir
  for dir in "${search[@]}"; do
    if [ -f "$dir/$1" ]; then
      printf '%s\n' "$dir/$1"
      return
    fi
  done
}

# The DLLs a program or DLL names in its import table.
imports() {
  "$triple-objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p'
}

lay_dependencies() {
  local dll path
  while read -r dll; do
    [ -n "${laid[${dll,,}]:-}" ] && continue
    path=$(found_dll "$dll")
    [ -z "$path" ] && continue
    laid[${dll,,}]=1
    cp "$path" "$folder/"
    lay_dependencies "$path"
  done < <(imports "$1")
}

for program in "$@"; do lay_dependencies "$program"; done

plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll iconengines/qsvgicon.dll
  imageformats/qsvg.dll imageformats/qico.dll)
for plugin in "${plugins[@]}"; do
  [ -f "$cache/qt/plugins/$plugin" ] || continue
  mkdir -p "$folder/$(dirname "$plugin")"
  cp "$cache/qt/plugins/$plugin" "$folder/$plugin"
  lay_dependencies "$cache/qt/plugins/$plugin"
done
