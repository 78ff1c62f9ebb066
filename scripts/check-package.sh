#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get as a user would, runs the installed
# program without a display, and purges it again. It installs into /usr: run it as root on a
# machine that may be changed, such as CI.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/package.sh
export DEBIAN_FRONTEND=noninteractive
cd build-package
contents=$(dpkg-deb -c ombrelia_*.deb)
for file in usr/bin/ombrelia usr/share/applications/ombrelia.desktop \
  usr/share/icons/hicolor/scalable/apps/ombrelia.svg usr/share/man/man1/ombrelia.1.gz \
  usr/share/metainfo/com.korvath.ombrelia.metainfo.xml usr/share/doc/ombrelia/copyright \
  usr/share/doc/ombrelia/changelog.gz; do
  grep -q " \./$file\$" <<<"$contents" || { echo "the package lacks /$file" >&2; exit 1; }
done
if command -v lintian >/dev/null; then
  lintian --fail-on error ombrelia_*.deb
fi
depends=$(dpkg-deb -f ombrelia_*.deb Depends)
# Every package the program runs with is named in the package's copyright, with its licence (of
# alternatives, the first).
copyright=$(dpkg-deb --fsys-tarfile ombrelia_*.deb | tar -xO ./usr/share/doc/ombrelia/copyright)
for package in $(tr ',' '\n' <<<"$depends" | sed 's/|.*//; s/(.*)//; s/ //g' | sort -u); do
  grep -qw -- "$package" <<<"$copyright" ||
    { echo "the package's copyright does not name $package, which it depends on" >&2; exit 1; }
done
for library in libqt6keychain1 libsecret-1-0; do
  grep -q "$library" <<<"$depends" || { echo "the package does not depend on $library" >&2; exit 1; }
done
apt-get install -y -qq ./ombrelia_*.deb >/dev/null
trap 'apt-get purge -y -qq ombrelia >/dev/null' EXIT
[ "$(command -v ombrelia)" = /usr/bin/ombrelia ]
env -u DISPLAY -u WAYLAND_DISPLAY ombrelia --version
env -u DISPLAY -u WAYLAND_DISPLAY ombrelia tables 1 --help >/dev/null
# Without a command and without a display: the usage, and the exit status of wrong usage.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ombrelia 2>/dev/null || status=$?
[ "$status" -eq 2 ] || { echo "ombrelia without a display exited with $status, not 2" >&2; exit 1; }
appstreamcli validate --no-net /usr/share/metainfo/com.korvath.ombrelia.metainfo.xml >/dev/null
desktop-file-validate /usr/share/applications/ombrelia.desktop
odbcinst -q -d -n "SQL Server" >/dev/null
apt-get purge -y -qq ombrelia >/dev/null
trap - EXIT
if command -v ombrelia >/dev/null; then
  echo "ombrelia is still installed after the purge" >&2
  exit 1
fi
echo "package: installed, ran without a display, purged"
