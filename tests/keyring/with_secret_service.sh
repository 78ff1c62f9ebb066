#!/usr/bin/env bash
# Runs a program inside a private session bus with gnome-keyring and an unlocked keyring in a
# temporary home (the daemon ends with the bus); exit status 77 (skipped) without those tools.
set -euo pipefail
for tool in dbus-run-session gnome-keyring-daemon; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
dbus-run-session -- bash -c 'printf ombrelia-tests | gnome-keyring-daemon --unlock \
  --components=secrets >/dev/null && OMBRELIA_TEST_OWN_SESSION_BUS=1 "$@"' keyring "$@"
