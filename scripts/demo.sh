#!/usr/bin/env bash
# Builds banklist and its companion programs, assembles the demo installation from demo/ into
# build/demo/install and runs banklist on it in this terminal.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BANKLIST_DEMO_BUILD:-$top/build/demo}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBANKLIST_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
install=$build/install
"$top/scripts/assemble-demo.sh" "$build" "$install"
export TAVROOT="$install/root/" TAVEXE="$install/exe/" TAVTMP="$install/tmp/"
unset HTTP_USER_AGENT HTTP_ACCEPT WINDIR SYSTEMROOT
cd "$install"
set +e
"$TAVEXE/banklist"
code=$?
set -e
echo "banklist ended with exit code $code"
exit $code
