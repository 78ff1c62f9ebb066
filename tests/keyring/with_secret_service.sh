#!/usr/bin/env bash
# Runs a program with a Secret Service of its own: a private session bus and gnome-keyring with
# an unlocked keyring in a temporary home. The daemon answers once its command returns, and
# ends with the bus. Exit status 77 (skipped) when the machine lacks them.
set -euo pipefail
for tool in dbus-run-session gnome-keyring-daemon; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
# shellcheck disable=SC2016
dbus-run-session -- bash -c '
  printf ombrelia-tests | gnome-keyring-daemon --unlock --components=secrets >/dev/null
  OMBRELIA_TEST_OWN_SESSION_BUS=1 "$@"' keyring "$@"
