#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX once: Wine's own start, and the fonts the pages are laid out
# for (Arial, and Tahoma for the system's dialogs) given by Liberation Sans, its metric twin.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX names the prefix}"
[ -f "$WINEPREFIX/.ombrelia-fonts" ] && exit 0
printf 'windows: making the Wine prefix %s (once)\n' "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
WINEDEBUG=-all wineboot -i >/dev/null 2>&1
for font in Arial Tahoma "MS Shell Dlg" "MS Shell Dlg 2"; do
  WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" \
    /d "Liberation Sans" /f >/dev/null 2>&1
done
# A program that crashes ends, with its failure, instead of waiting in Wine's debugger.
WINEDEBUG=-all wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
  /v Auto /d 0 /f >/dev/null 2>&1
WINEDEBUG=-all wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
  /v Debugger /d '' /f >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.ombrelia-fonts"
