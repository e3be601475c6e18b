#!/usr/bin/env bash
# assemble-demo.sh BUILD_DIR INSTALL_DIR: lays out a demo installation from demo/ with the
# programs of BUILD_DIR: INSTALL_DIR/root (TAVROOT), exe (TAVEXE) and tmp (TAVTMP, session files).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1
install=$2
rm -rf "$install"
mkdir -p "$install/root" "$install/exe" "$install/tmp"
cp -R "$top/demo/root/." "$install/root/"
cp -R "$top/demo/tmp/." "$install/tmp/"
for program in src/app/banklist tools/tavprint/tavprint tools/docrun/docrun tools/recutil/recutil; do
  if [ -x "$build/$program" ]; then cp "$build/$program" "$install/exe/"; fi
done
# Generated parts of the installation (data files, help pages) are built by demo/build.sh.
if [ -x "$top/demo/build.sh" ]; then "$top/demo/build.sh" "$install"; fi
