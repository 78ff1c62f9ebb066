#!/usr/bin/env bash
# The package's install and purge scripts against a private ODBC driver registry: the driver
# name "SQL Server" is added when missing and removed on purge only when the package added it
# and it is still the driver the package registered.
set -euo pipefail
scripts=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ODBCSYSINI=$work/odbc OMBRELIA_PACKAGE_STATE=$work/state
unset ODBCINSTINI
registry=$ODBCSYSINI/odbcinst.ini
mkdir -p "$ODBCSYSINI"
: >"$registry"
registered() { odbcinst -q -d -n "SQL Server" 2>/dev/null; }
fail() { echo "FAILED: $*" >&2; exit 1; }

sh "$scripts/postinst" configure
registered | grep -q '^Driver=.*libtdsodbc\.so$' || fail "FreeTDS is not registered as SQL Server"
test -s "$OMBRELIA_PACKAGE_STATE/registered-sql-server-driver" || fail "the registration is not noted"

# Configured again, as on an upgrade, and removed without purge: nothing changes.
before=$(cat "$registry")
sh "$scripts/postinst" configure
sh "$scripts/postrm" remove
[ "$(cat "$registry")" = "$before" ] || fail "configuring again or removing changed the registry"

sh "$scripts/postrm" purge
registered >/dev/null && fail "the purge left the registration the package made"
test -e "$OMBRELIA_PACKAGE_STATE" && fail "the purge left the package's note"

# A driver registered under the name by someone else is left alone by install and purge.
printf '[SQL Server]\nDriver=/opt/vendor/libmsodbcsql.so\n' >"$registry"
sh "$scripts/postinst" configure
test -e "$OMBRELIA_PACKAGE_STATE" && fail "a registration the package did not make was noted"
sh "$scripts/postrm" purge
registered | grep -qx 'Driver=/opt/vendor/libmsodbcsql.so' || fail "another driver was touched"

# Registered by the package, then pointed elsewhere by the user: the purge leaves it.
: >"$registry"
sh "$scripts/postinst" configure
odbcinst -u -d -n "SQL Server" >/dev/null
printf '[SQL Server]\nDriver=/opt/vendor/libmsodbcsql.so\n' >"$registry"
sh "$scripts/postrm" purge
registered | grep -qx 'Driver=/opt/vendor/libmsodbcsql.so' || fail "a changed registration was removed"
test -e "$OMBRELIA_PACKAGE_STATE" && fail "the purge left the package's note"
echo "maintainer scripts: SQL Server added when missing, removed on purge only when ours"
