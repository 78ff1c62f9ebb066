#!/usr/bin/env bash
# Checks what Windows reads of a program before it starts and what Properties shows of it, with
# MinGW-w64's windres (which prints a program's resources as a resource script):
#   check-resources.sh VERSION FILE...
# Each FILE must carry a manifest that runs it with the user's own rights (asInvoker), draws
# each monitor at its own scale (PerMonitorV2) and takes common controls 6, and version
# information naming the product, its version, the company and a description.
# One line a failure; the exit status is 1 when any check failed.
set -euo pipefail
version=$1
shift
windres=x86_64-w64-mingw32-windres
failed=0

fail() {
  printf 'resources: %s: %s\n' "$1" "$2" >&2
  failed=1
}

# Whether the text holds a line matching the extended regular expression.
holds() { grep -Eq -- "$2" <<<"$1"; }

# The manifest of a resource script, as text: windres prints it as quoted strings (quotes
# doubled, C escapes) and little-endian words (0x6d783f3cL 32-bit, 0x3c3f 16-bit), in order;
# its blanks and line breaks are printed as one blank each.
manifest() {
  python3 -c '
import codecs, re, struct, sys
script = sys.stdin.read()
block = re.search(r"^1 24 .*?\nBEGIN\n(.*?)^END", script, re.M | re.S)
if not block:
    sys.exit(0)
data = b""
for word, size, text in re.findall(r"0x([0-9a-fA-F]+)(L?)|\"((?:[^\"]|\"\")*)\"", block.group(1)):
    if word:
        data += struct.pack("<I" if size else "<H", int(word, 16))
    else:
        data += codecs.escape_decode(text.replace("\"\"", "\""))[0]
print(re.sub(r"\s+", " ", data.decode("utf-8", "replace")))
'
}

for file in "$@"; do
  name=$(basename "$file")
  if ! script=$("$windres" -J coff -i "$file" -O rc 2>&1); then
    fail "$name" "its resources cannot be read: $script"
    continue
  fi
  text=$(manifest <<<"$script")
  if [ -z "$text" ]; then
    fail "$name" "no application manifest"
  else
    holds "$text" 'requestedExecutionLevel level="asInvoker"' ||
      fail "$name" "the manifest does not run it as the user (asInvoker)"
    holds "$text" 'PerMonitorV2' || fail "$name" "the manifest is not per-monitor DPI aware"
    holds "$text" 'name="Microsoft\.Windows\.Common-Controls" version="6\.0\.0\.0"' ||
      fail "$name" "the manifest does not take common controls 6"
  fi
  holds "$script" 'VERSIONINFO' || fail "$name" "no version information"
  for value in "ProductName\", \"Ombrelia" "CompanyName\", \"Korvath" "ProductVersion\", \"$version" \
    "FileVersion\", \"$version" "FileDescription\", \"[^\"]+"; do
    holds "$script" "VALUE \"$value" || fail "$name" "the version information lacks $value\""
  done
done
exit "$failed"
