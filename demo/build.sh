#!/usr/bin/env bash
# build.sh INSTALL_DIR: generates the parts of the demo installation that are built from readable
# sources, by running every demo/steps/*.sh in name order with INSTALL_DIR as argument. The
# programs of the installation (recutil among them) are already in INSTALL_DIR/exe.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for step in "$here"/steps/*.sh; do
  [ -e "$step" ] || continue
  bash "$step" "$1"
done
