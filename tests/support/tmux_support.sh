# Shared set-up of the tmux end-to-end tests: source it with the test's name as argument.
# Exits 77 (skipped) when tmux is not installed; otherwise gives a private tmux server (tmux_),
# a scratch folder ($work), both removed at the end, and a failure counter (fail, $failures).
command -v tmux >/dev/null 2>&1 || { echo "tmux not installed"; exit 77; }
socket=banklist_${1}_$$
work=$(mktemp -d)
tmux_() { tmux -u -L "$socket" -f /dev/null "$@"; }
cleanup() { tmux_ kill-server >/dev/null 2>&1; rm -rf "$work"; }
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
