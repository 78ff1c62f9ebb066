#!/usr/bin/env bash
# Builds Ombrelia for Windows x86-64 on Debian 12 and packs it:
#   dist/ombrelia-<version>-windows-x64/       ombrelia.exe (the window), ombrelia.com (the
#                                              console), the Qt and QtKeychain DLLs, the
#                                              platform, style and icon plugins, the MinGW runtime,
#                                              all stripped; NOTICES.txt and licenses\ (the
#                                              licences of what ships, and where the sources are)
#   dist/ombrelia-<version>-windows-x64.zip    that folder, zipped
#   dist/ombrelia-<version>-setup.exe          the installer (NSIS, per user, silent with /S)
# The libraries come from scripts/windows/build-libraries.sh, built once into its cache folder
# (the first time about 35 minutes on two cores; then they are reused). With --tests the unit
# tests are built too, into the same build folder (build-windows, or the folder given by
# OMBRELIA_WINDOWS_BUILD).
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$PWD
build=$(realpath -m "${OMBRELIA_WINDOWS_BUILD:-build-windows}")
with_tests=OFF
[ "${1:-}" = --tests ] && with_tests=ON

say() { printf 'windows: %s\n' "$*"; }

packages=(zip unzip librsvg2-bin icoutils)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    >/dev/null
fi

bash scripts/windows/build-libraries.sh
cache=${OMBRELIA_WINDOWS_CACHE:-/var/cache/ombrelia-windows}
export OMBRELIA_WINDOWS_CACHE=$cache

started=$SECONDS
say "building the program (tests: $with_tests) into $build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/windows-toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING="$with_tests" >/dev/null
cmake --build "$build" -j2
say "built in $((SECONDS - started)) s"

version=$(sed -n 's/^project(Ombrelia VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=ombrelia-$version-windows-x64
dist=$repo/dist
folder=$dist/$name
rm -rf "$folder" "$dist/$name.zip" "$dist/ombrelia-$version-setup.exe"
mkdir -p "$folder"
cp "$build/src/ombrelia.exe" "$build/src/ombrelia.com" "$folder/"
bash scripts/windows/deploy.sh "$folder" "$folder/ombrelia.exe" "$folder/ombrelia.com"
# What ships carries no symbols: they serve debuggers alone (Windows finds a DLL's functions by
# its export table, which stays), and the MinGW runtime's made most of the folder's size.
find "$folder" -type f \( -name '*.exe' -o -name '*.com' -o -name '*.dll' \) \
  -exec x86_64-w64-mingw32-strip --strip-all {} +
bash packaging/windows/notices.sh "$folder"
say "the program's folder: $(du -sb "$folder" | cut -f1) bytes in $(find "$folder" -type f | wc -l) files"

(cd "$dist" && zip -q -r "$name.zip" "$name")
say "made dist/$name.zip"

# The uninstaller removes what the installer laid down, and nothing else.
remove=$(mktemp)
trap 'rm -f "$remove"' EXIT
(cd "$folder" && find . -type f | sed 's|^\./||; s|/|\\|g' |
  while read -r file; do printf 'Delete "$INSTDIR\\%s"\n' "$file"; done) >"$remove"
(cd "$folder" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g' |
  while read -r dir; do printf 'RMDir "$INSTDIR\\%s"\n' "$dir"; done) >>"$remove"
makensis -V2 -DVERSION="$version" -DSOURCE="$folder" -DICON="$build/src/ombrelia.ico" \
  -DOUTFILE="$dist/ombrelia-$version-setup.exe" -DREMOVE="$remove" \
  packaging/windows/ombrelia.nsi >/dev/null
say "made dist/ombrelia-$version-setup.exe"
