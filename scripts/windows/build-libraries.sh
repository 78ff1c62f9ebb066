#!/usr/bin/env bash
# Builds the libraries that the Windows build of Ombrelia links, for Windows x86-64 with
# MinGW-w64's posix compilers (C++ threads through winpthreads):
#   - Qt 6 from Debian's qt6-base source, the same version as the host's Qt tools, which the
#     cross build runs: Core, Gui, Widgets, Network, Concurrent, Test, Xml, the windows,
#     offscreen and minimal platform plugins and the windowsvista style;
#   - QtKeychain for the Credential Manager: the host's QtKeychain header with our own jobs
#     (keychain/), since the archive does not serve qtkeychain's source;
#   - GoogleTest and GoogleMock from /usr/src/googletest.
# They land in ${OMBRELIA_WINDOWS_CACHE:-/var/cache/ombrelia-windows}: qt/, qtkeychain/ and
# googletest/, with bin/wine-run (wine with the DLL folders on its path) and the build logs in
# logs/. Each library carries a stamp naming its source version, the compiler version and its
# options; a library whose stamp matches is skipped, so a second run takes a few seconds.
# cmake/windows-toolchain.cmake builds against the cache.
# First run on a 2-core machine: about 30 minutes, all but 20 seconds of it Qt. The cache then
# holds about 155 MB: Qt 87 MB, Qt's source package 64 MB (kept for rebuilds). Missing tools
# are installed with apt-get; Qt's source is fetched through a private apt configuration, and
# the system's apt sources are left as they are.
set -euo pipefail

script_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo_dir=$(cd "$script_dir/../.." && pwd)
toolchain_file="$repo_dir/cmake/windows-toolchain.cmake"
cache=${OMBRELIA_WINDOWS_CACHE:-/var/cache/ombrelia-windows}
jobs=2
triple=x86_64-w64-mingw32
export OMBRELIA_WINDOWS_CACHE=$cache

packages=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-tools wine wine64 fonts-wine fonts-liberation nsis cmake ninja-build dpkg-dev xvfb
  xauth perl python3 pkg-config qt6-base-dev qt6-base-dev-tools qtkeychain-qt6-dev googletest)

say() { printf 'build-libraries: %s\n' "$*"; }
fail() {
  say "error: $*" >&2
  exit 1
}

as_minutes() { printf '%dm %02ds' $(($1 / 60)) $(($1 % 60)); }

install_packages() {
  local missing=() package
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  say "installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    >"$cache/logs/apt-install.log" 2>&1 || {
    tail -n 40 "$cache/logs/apt-install.log" >&2
    fail "apt-get install failed"
  }
}

# Runs a command with its output in a log file; on failure shows the log's tail and stops.
run_logged() {
  local log=$1
  shift
  if ! "$@" >>"$log" 2>&1; then
    say "failed: $* (last 40 lines of $log follow)" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
}

# --- Debian sources, through a private apt configuration -----------------------------------

apt_dir="$cache/apt"

# Prints "URI KEYRING" of the first Debian archive that the machine's apt configuration names
# for bookworm main (KEYRING may be empty), from one-line and deb822 source files alike.
host_archive() {
  local files=() file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] && files+=("$file")
  done
  if [ ${#files[@]} -gt 0 ]; then
    awk '$1 == "deb" {
        keyring = ""; i = 2
        if ($2 ~ /^\[/) {
          for (; i <= NF; i++) {
            if ($i ~ /^\[?signed-by=/) { keyring = $i; sub(/^\[?signed-by=/, "", keyring); sub(/\]$/, "", keyring) }
            if ($i ~ /\]$/) { i++; break }
          }
        }
        uri = $i; suite = $(i + 1)
        for (j = i + 2; j <= NF; j++) if (suite == "bookworm" && $j == "main") { print uri, keyring; exit }
      }' "${files[@]}"
  fi
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
      {
        types = uris = suites = components = keyring = ""
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^#/ || $i !~ /:/) continue
          key = tolower(substr($i, 1, index($i, ":") - 1)); value = substr($i, index($i, ":") + 1)
          gsub(/^[ \t]+|[ \t]+$/, "", value)
          if (key == "types") types = value
          else if (key == "uris") uris = value
          else if (key == "suites") suites = value
          else if (key == "components") components = value
          else if (key == "signed-by" && value ~ /^\//) keyring = value
        }
        if ((" " types " ") ~ / deb / && (" " suites " ") ~ / bookworm / &&
            (" " components " ") ~ / main /) {
          split(uris, list, " "); print list[1], keyring; exit
        }
      }' "$file"
  done
}

apt_options() {
  printf '%s\n' -o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/dev/null" \
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
}

# Writes the private sources list and reads its index once per run.
prepare_apt() {
  [ -n "${apt_ready:-}" ] && return
  local archive uri keyring
  archive=$(host_archive | head -n 1)
  [ -n "$archive" ] || fail "no Debian 12 (bookworm main) archive in /etc/apt/sources.list(.d)"
  read -r uri keyring <<<"$archive"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/download"
  chown _apt "$apt_dir/lists/partial" "$apt_dir/download" 2>/dev/null || true
  if [ -n "$keyring" ]; then
    printf 'deb-src [signed-by=%s] %s bookworm main\n' "$keyring" "$uri" >"$apt_dir/sources.list"
  else
    printf 'deb-src %s bookworm main\n' "$uri" >"$apt_dir/sources.list"
  fi
  local options
  mapfile -t options < <(apt_options)
  run_logged "$cache/logs/apt-source.log" apt-get "${options[@]}" update
  apt_ready=1
}

# Prints the version of source package NAME that the private index offers: VERSION if it is
# among them, else the newest.
source_version() {
  local options
  mapfile -t options < <(apt_options)
  apt-cache "${options[@]}" showsrc "$1" 2>/dev/null |
    awk -v wanted="${2:-}" '/^Version:/ { if (!first) first = $2; if ($2 == wanted) found = $2 }
      END { print found ? found : first }'
}

# Unpacks Debian's source package NAME (version VERSION, with Debian's patches) into DIR.
unpack_source() {
  local name=$1 version=$2 dir=$3 options
  mapfile -t options < <(apt_options)
  rm -rf "$dir"
  mkdir -p "$(dirname "$dir")"
  (cd "$apt_dir/download" &&
    run_logged "$cache/logs/apt-source.log" apt-get "${options[@]}" source --download-only \
      "$name=$version")
  local dsc
  dsc=$(ls "$apt_dir/download/${name}_${version#*:}.dsc")
  run_logged "$cache/logs/apt-source.log" dpkg-source --no-check -x "$dsc" "$dir"
  # dpkg-source leaves copies of the tarballs beside the tree.
  rm -f "$(dirname "$dir")/${name}_"*.tar.*
}

# --- Stamps ----------------------------------------------------------------------------------

compiler_version() {
  printf '%s %s' "$(dpkg-query -W -f='${Version}' "g++-mingw-w64-x86-64-posix")" \
    "$("$triple-g++-posix" -dumpfullversion)"
}

stamp_file() { printf '%s/%s/ombrelia-stamp' "$cache" "$1"; }

# True when LIBRARY in the cache was built as STAMP describes.
stamp_matches() {
  local file
  file=$(stamp_file "$1")
  [ -f "$file" ] && [ "$(cat "$file")" = "$2" ]
}

# A short digest of LIBRARY's stamp, for the stamps of what is built against it.
stamp_digest() { sha256sum "$(stamp_file "$1")" | cut -c1-16; }

# --- Qt --------------------------------------------------------------------------------------

qt_options=(-release -shared -xplatform win32-g++ -qt-host-path /usr -nomake examples
  -nomake tests -no-dbus -opengl no -no-feature-vulkan -no-icu -no-fontconfig -qt-freetype
  -no-openssl -no-pkg-config -no-feature-zstd -no-libjpeg -no-feature-tabletevent
  -no-feature-sql -no-feature-printsupport -no-feature-androiddeployqt -qt-zlib -qt-pcre
  -qt-libpng -qt-harfbuzz -qt-doubleconversion -strip)

host_qt_cmake_dir() {
  local dir
  for dir in "/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" /usr/lib/cmake; do
    [ -d "$dir/Qt6HostInfo" ] && { echo "$dir"; return; }
  done
  fail "the host's Qt 6 CMake packages are missing (qt6-base-dev)"
}

build_qt() {
  local version stamp log="$cache/logs/qt.log" src="$cache/src/qt6-base" build="$cache/build/qt"
  version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
  stamp=$(printf 'source=qt6-base %s\ncompiler=%s\noptions=%s\n' "$version" "$(compiler_version)" \
    "${qt_options[*]}")
  if stamp_matches qt "$stamp"; then
    say "qt: up to date (qt6-base $version)"
    return
  fi
  local start=$SECONDS
  say "qt: building qt6-base $version, about 30 minutes on 2 cores (log: $log)"
  : >"$log"
  rm -rf "$cache/qt" "$build"
  prepare_apt
  [ "$(source_version qt6-base "$version")" = "$version" ] ||
    fail "the archive no longer offers qt6-base $version, the version of the host's Qt tools:" \
      "upgrade them first (apt-get install --only-upgrade qt6-base-dev qt6-base-dev-tools)"
  say "qt: fetching the source"
  unpack_source qt6-base "$version" "$src"
  mkdir -p "$build"
  say "qt: configuring"
  (cd "$build" && run_logged "$log" "$src/configure" -prefix "$cache/qt" "${qt_options[@]}" \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" \
    -DQT_HOST_PATH_CMAKE_DIR="$(host_qt_cmake_dir)")
  say "qt: compiling"
  run_logged "$log" cmake --build "$build" --parallel "$jobs"
  say "qt: installing into $cache/qt"
  run_logged "$log" cmake --install "$build"
  printf '%s' "$stamp" >"$(stamp_file qt)"
  rm -rf "$build" "$src"
  say "qt: built in $(as_minutes $((SECONDS - start)))"
}

# --- CMake projects built with the toolchain file ----------------------------------------------

# Configures, builds and installs the CMake project in SOURCE into PREFIX, logging to LOG.
cmake_project() {
  local name=$1 source=$2 prefix=$3 log=$4
  shift 4
  local build="$cache/build/$name"
  rm -rf "$build" "$prefix"
  say "$name: configuring"
  run_logged "$log" cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
  say "$name: compiling"
  run_logged "$log" cmake --build "$build" --parallel "$jobs"
  say "$name: installing into $prefix"
  run_logged "$log" cmake --install "$build" --strip
  rm -rf "$build"
}

build_googletest() {
  local version stamp log="$cache/logs/googletest.log"
  version=$(dpkg-query -W -f='${Version}' googletest)
  stamp=$(printf 'source=googletest %s\ncompiler=%s\n' "$version" "$(compiler_version)")
  if stamp_matches googletest "$stamp"; then
    say "googletest: up to date (googletest $version)"
    return
  fi
  local start=$SECONDS
  say "googletest: building googletest $version from /usr/src/googletest (log: $log)"
  : >"$log"
  cmake_project googletest /usr/src/googletest "$cache/googletest" "$log" -DBUILD_GMOCK=ON \
    -DINSTALL_GTEST=ON
  printf '%s' "$stamp" >"$(stamp_file googletest)"
  say "googletest: built in $(as_minutes $((SECONDS - start)))"
}

# QtKeychain's Debian source is not served by the archive this machine reaches, so the keychain
# is the host's QtKeychain header with our own Credential Manager jobs (scripts/windows/keychain).
build_keychain() {
  local version stamp log="$cache/logs/qtkeychain.log" source="$script_dir/keychain"
  version=$(dpkg-query -W -f='${Version}' qtkeychain-qt6-dev)
  stamp=$(printf 'header=qtkeychain-qt6-dev %s\nbackend=%s\ncompiler=%s\nqt=%s\n' "$version" \
    "$(cat "$source"/* | sha256sum | cut -c1-16)" "$(compiler_version)" "$(stamp_digest qt)")
  if stamp_matches qtkeychain "$stamp"; then
    say "qtkeychain: up to date (qtkeychain-qt6-dev $version header)"
    return
  fi
  local start=$SECONDS
  say "qtkeychain: building the Credential Manager keychain (log: $log)"
  : >"$log"
  cmake_project qtkeychain "$source" "$cache/qtkeychain" "$log"
  printf '%s' "$stamp" >"$(stamp_file qtkeychain)"
  say "qtkeychain: built in $(as_minutes $((SECONDS - start)))"
}

# --- Running Windows programs ------------------------------------------------------------------

# bin/wine-run: wine with the Qt and MinGW runtime DLL folders on Wine's PATH; the toolchain
# file makes it CMake's emulator, so ctest runs the tests through it.
write_wine_runner() {
  local runtime
  runtime=$(dirname "$("$triple-g++-posix" -print-file-name=libstdc++-6.dll)")
  mkdir -p "$cache/bin"
  cat >"$cache/bin/wine-run" <<RUNNER
#!/bin/sh
# Runs a Windows program under Wine, with the DLLs of the Windows libraries on its path.
# WINEPREFIX, WINEPATH and WINEDEBUG from the caller are honoured. Wine keeps the caller's QT_*
# variables from Windows programs but hands WINEQT_* on as QT_*: QT_QPA_PLATFORM and its kin
# are passed that way.
set -eu
cache=\$(cd "\$(dirname "\$0")/.." && pwd)
WINEPATH="Z:\$cache/qt/bin;Z:$runtime;Z:/usr/$triple/lib\${WINEPATH:+;\$WINEPATH}"
WINEDEBUG=\${WINEDEBUG--all}
export WINEPATH WINEDEBUG
for name in \$(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
  eval "WINE\$name=\\\$\$name; export WINE\$name"
done
exec wine "\$@"
RUNNER
  chmod 755 "$cache/bin/wine-run"
}

main() {
  mkdir -p "$cache/logs"
  exec 9>"$cache/.lock"
  flock -n 9 || fail "another build-libraries.sh is running on $cache"
  local start=$SECONDS
  say "cache: $cache"
  install_packages
  build_qt
  build_googletest
  build_keychain
  write_wine_runner
  rmdir "$cache/build" "$cache/src" 2>/dev/null || true
  say "all libraries ready in $(as_minutes $((SECONDS - start))); the cache holds $(du -sh "$cache" | cut -f1)"
}

main "$@"
