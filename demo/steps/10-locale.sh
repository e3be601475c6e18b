#!/usr/bin/env bash
# The language file of the module: every demo/locale/*.lng (four-line entries, CR LF, code page
# 850) joined in name order into root/LOCALE/BANKLIST.LNG.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
install=$1
mkdir -p "$install/root/LOCALE"
out="$install/root/LOCALE/BANKLIST.LNG"
: > "$out"
for part in "$here"/locale/*.lng; do
  [ -e "$part" ] || continue
  cat "$part" >> "$out"
done
