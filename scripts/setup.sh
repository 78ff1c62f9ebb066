#!/usr/bin/env bash
# Makes a Debian 12 machine ready to build, test and run Ombrelia. Safe to run again.
set -euo pipefail

packages=(g++ cmake make pkg-config qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-svg-dev
  unixodbc-dev odbcinst tdsodbc libsqliteodbc fonts-liberation libgtest-dev libgmock-dev
  libbenchmark-dev libgl-dev desktop-file-utils xvfb xauth dpkg-dev file appstream man-db
  qtkeychain-qt6-dev libsecret-1-0 gnome-keyring dbus-bin dbus-daemon dbus-session-bus-common
  socat libgnutls28-dev openssl)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

# The program asks ODBC for the driver named "SQL Server"; on Linux that is FreeTDS.
# A driver the user registered under that name is left as it is.
if ! odbcinst -q -d -n "SQL Server" >/dev/null 2>&1; then
  driver=$(find /usr/lib -name libtdsodbc.so -print -quit)
  template=$(mktemp)
  printf '[SQL Server]\nDescription=FreeTDS ODBC driver\nDriver=%s\n' "$driver" >"$template"
  as_root odbcinst -i -d -f "$template" >/dev/null
  rm -f "$template"
  echo "setup: registered FreeTDS as the ODBC driver \"SQL Server\""
fi
