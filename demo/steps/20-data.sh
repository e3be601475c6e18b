#!/usr/bin/env bash
# The remittance file of the demo: its dictionary ddf/TRemeses.xdf from demo/data/TRemeses.dict,
# the data file DADES/TRemeses.dat created from it and loaded with the generated records.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
install=$1
recutil=$install/exe/recutil
if [ ! -x "$recutil" ]; then
  echo "20-data.sh: $recutil is missing, so the installation has no remittance file" >&2
  exit 0
fi
mkdir -p "$install/root/ddf" "$install/root/DADES"
"$recutil" dict "$here/data/TRemeses.dict" "$install/root/ddf/TRemeses.xdf"
data=$install/root/DADES/TRemeses.dat
rm -f "$data" "$data-wal" "$data-shm" "$data.lck"
"$recutil" create "$data" "$install/root/ddf/TRemeses.xdf"
records=$(mktemp)
trap 'rm -f "$records"' EXIT
python3 "$here/data/make_remittances.py" "$records"
"$recutil" load "$data" "$records"
