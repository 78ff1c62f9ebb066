#!/usr/bin/env bash
# Runs the README's command-line examples against the built program: those that ask for help
# or the version as they stand, every other one with --help added, so that each of its options
# is checked by the program's own parser. No display, no stored logins.
set -euo pipefail
readme=$1
program_folder=$2
examples=$(awk '/^## Command line/ { section = 1; next }
                /^## / { section = 0 }
                section && /^```/ { fenced = !fenced; next }
                section && fenced' "$readme")
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
count=0
while IFS= read -r example; do
  [ -n "$example" ] || continue
  # An example may set a variable first: VAR=value ombrelia ...
  read -r -a words <<<"$example"
  environment=()
  while [[ ${words[0]} == *=* ]]; do environment+=("${words[0]}"); words=("${words[@]:1}"); done
  [ "${words[0]}" = ombrelia ] || { echo "not a command of the program: $example" >&2; exit 1; }
  case " ${words[*]} " in
    *" --help "* | *" --version "*) ;;
    *) words+=(--help) ;;
  esac
  if ! output=$(env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$settings" "${environment[@]}" \
      PATH="$program_folder:$PATH" "${words[@]}" </dev/null); then
    echo "failed: ${words[*]}" >&2
    exit 1
  fi
  [ -n "$output" ] || { echo "no output: ${words[*]}" >&2; exit 1; }
  count=$((count + 1))
done <<<"$examples"
[ "$count" -ge 2 ] || { echo "the README's Command line section has no examples" >&2; exit 1; }
[ -z "$(ls -A "$settings")" ] || { echo "an example wrote settings" >&2; exit 1; }
echo "README: $count command-line examples run"
