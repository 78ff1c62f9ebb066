#!/usr/bin/env bash
# The installer and the uninstaller under Wine, as a user meets them:
#   - /S installs the program for the user, with its licence notices, and puts its folder at the
#     end of the user's PATH, the entries there before kept as they were: "ombrelia --version"
#     at a new command prompt in another folder runs it;
#   - uninstall.exe /S takes the folder off the PATH again (and nothing else), and keeps what
#     the user stored: the logins' registry key, their passwords in the Credential Manager, and
#     the program's folder under %APPDATA%;
#   - uninstall.exe /S /REMOVELOGINS (Yes to the uninstaller's question) removes those too.
#   installer-test.sh SETUP_EXE CREDENTIAL_EXE VERSION
# Needs Wine's environment (WINEPREFIX, a display) as scripts/windows/test.sh sets it.
set -euo pipefail
setup=$1
credential=$2
version=$3
failures=0

say() { printf 'windows installer: %s\n' "$*"; }
fail() {
  say "FAILED: $*"
  failures=$((failures + 1))
}

# The value of a registry value, or nothing when it is not there.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
has_key() { wine reg query "$1" >/dev/null 2>&1; }

windows_user=$(wine cmd /c 'echo %USERNAME%' 2>/dev/null | tr -d '\r')
profile=$WINEPREFIX/drive_c/users/$windows_user
installed=$profile/AppData/Local/Programs/Ombrelia
state=$profile/AppData/Roaming/ombrelia
folder='C:\users\'"$windows_user"'\AppData\Local\Programs\Ombrelia'
user_path='C:\kept\tools;C:\Program Files\Other'
logins='HKCU\Software\Korvath\Ombrelia'

install() {
  wine "$setup" /S
  wineserver -w
}
uninstall() {
  wine "$installed/uninstall.exe" /S "$@"
  wineserver -w # also waits for the copy of itself that the uninstaller finishes from
}

# What the program stores for the user: a login, a password, a refused rows' file.
store_logins() {
  wine reg add "$logins" /v Server /d sql1 /f >/dev/null 2>&1
  wine "$credential" write Ombrelia/Password pw1
  mkdir -p "$state/refused"
  printf 'id,error\r\n' >"$state/refused/2026-01-01-000000-t.csv"
}

wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$user_path" /f >/dev/null 2>&1
wine reg delete "HKCU\\Software\\Korvath" /f >/dev/null 2>&1 || true

install
[ -f "$installed/ombrelia.com" ] || fail "the installer laid down no program in $installed"
for notice in NOTICES.txt licenses/Qt.txt licenses/common/LGPL-3.txt; do
  [ -f "$installed/$notice" ] || fail "the installed program has no $notice"
done
[ "$(reg_value 'HKCU\Environment' Path)" = "$user_path;$folder" ] ||
  fail "the PATH is '$(reg_value 'HKCU\Environment' Path)', not the user's with $folder at its end"
# A new prompt reads the user's PATH from the registry, as Windows' own does.
printed=$(wine cmd /c 'cd /d C:\windows && ombrelia --version' 2>/dev/null | tr -d '\r')
[ "$printed" = "ombrelia $version" ] && say "a new prompt in C:\\windows runs it: $printed" ||
  fail "'ombrelia --version' at a new prompt printed '$printed'"

store_logins
uninstall
[ -e "$installed/ombrelia.exe" ] && fail "the uninstaller left the program"
[ "$(reg_value 'HKCU\Environment' Path)" = "$user_path" ] ||
  fail "after the uninstall the PATH is '$(reg_value 'HKCU\Environment' Path)', not '$user_path'"
has_key "$logins" || fail "the silent uninstall removed the stored logins"
wine "$credential" has Ombrelia/Password || fail "the silent uninstall removed the saved password"
[ -d "$state/refused" ] || fail "the silent uninstall removed the program's state folder"
say "uninstalled silently: off the PATH, the logins kept"

install
uninstall /REMOVELOGINS
has_key "$logins" && fail "with /REMOVELOGINS the logins' key stayed"
has_key 'HKCU\Software\Korvath' && fail "with /REMOVELOGINS the empty Korvath key stayed"
wine "$credential" has Ombrelia/Password && fail "with /REMOVELOGINS the saved password stayed"
[ -e "$state" ] && fail "with /REMOVELOGINS the program's state folder stayed"
[ "$(reg_value 'HKCU\Environment' Path)" = "$user_path" ] || fail "the second uninstall changed the PATH"
say "uninstalled with the logins: key, password and state folder gone"

[ "$failures" -eq 0 ] && say "passed" || say "$failures failed"
exit $((failures > 0))
