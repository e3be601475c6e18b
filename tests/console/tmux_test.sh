#!/usr/bin/env bash
# End-to-end test of the terminal console in tmux (80x25): the drawn screen as tmux shows it,
# keys sent with send-keys as the events the program reads, and the terminal given back in its
# normal state at the end and after SIGTERM. Exits 77 (skipped) when tmux is not installed.
set -u
demo=$1
. "$(dirname "$0")/../support/tmux_support.sh" console_test

# Starts the demo in a fresh window of the given size; after it ends the shell prints its exit
# status and the terminal's line discipline flags.
start() {
  local name=$1 width=$2 height=$3
  tmux_ new-session -d -s "$name" -x "$width" -y "$height" \
    "CONSOLE_DEMO_TMP=$work '$demo' 2>$work/$name.err; echo EXIT=\$?;
     stty -a | tr ' ;' '\n\n' | grep -x -e icanon -e -icanon -e echo -e -echo | tr '\n' ' ';
     echo; sleep 60"
}
screen() { tmux_ capture-pane -p -t "$1"; }
# Waits until the pane shows the text (fixed string; with a third argument "line", a whole line
# equal to it); false after about 10 seconds.
wait_for() {
  local name=$1 text=$2 flags=-qF
  [ "${3:-}" = line ] && flags=-qxF
  for _ in $(seq 1 200); do
    screen "$name" | grep $flags -- "$text" && return 0
    sleep 0.05
  done
  return 1
}

# --- Drawing and keys ----------------------------------------------------------------------
start main 80 25
wait_for main READY || { fail "demo did not start"; screen main; cat "$work/main.err"; exit 1; }
plain=$(screen main)
row() { sed -n "${1}p" <<<"$plain"; }
[[ "$(row 2)" == "  ╔════════════════════════════════════════╗"* ]] || fail "double frame top: $(row 2)"
[[ "$(row 3)" == "  ║ PÀGINA à ç € ►◄▲▼"* ]] || fail "accented letters and glyphs: $(row 3)"
[[ "$(row 8)" == "  ╚"*"╝"* ]] || fail "double frame bottom: $(row 8)"
[[ "$(row 10)" == "  ┌──"*"┐"* ]] || fail "single frame: $(row 10)"
coloured=$(tmux_ capture-pane -p -e -t main)
crow() { sed -n "${1}p" <<<"$coloured"; }
# Yellow on blue (attribute 0x1E) and bright green on red (0x4A), in whatever grouping tmux uses.
grep -qE $'\e\\[(93;44|44;93)m|\e\\[93m\e\\[44m|\e\\[44m\e\\[93m' <<<"$(crow 3)" ||
  fail "frame colour: $(crow 3 | cat -v)"
grep -qE $'(92;41|41;92)m.?COLOUR|\e\\[92m\e\\[41mCOLOUR|\e\\[41m\e\\[92mCOLOUR' <<<"$(crow 4)" ||
  fail "text colour: $(crow 4 | cat -v)"

check_key() {
  local key=$1 expected=$2
  tmux_ send-keys -t main "$key"
  wait_for main "LAST $expected" line || fail "key $key: wanted '$expected', got '$(screen main | tail -1)'"
  # A different key in between so that repeated events are told apart.
  tmux_ send-keys -t main z
  wait_for main "LAST KEY 122 2C 0000" line || fail "separator after $key"
}
check_key F1     "KEY 0 3B 0000"
check_key S-F5   "KEY 0 3F 0010"
check_key C-F5   "KEY 0 3F 0008"
check_key M-x    "KEY 0 2D 0002"
check_key C-Up   "KEY 0 48 0008"
check_key BTab   "KEY 0 0F 0010"
check_key Home   "KEY 0 47 0000"
check_key End    "KEY 0 4F 0000"
check_key Enter  "KEY 13 1C 0000"
check_key Escape "KEY 27 01 0000"
check_key ç      "KEY 135 00 0000"

# A child program gets the normal screen; afterwards everything is drawn again.
tmux_ send-keys -t main F2
wait_for main "CHILD RAN" || fail "child program output not shown"
wait_for main READY || fail "screen not redrawn after the child program"
[[ "$(screen main | sed -n 3p)" == "  ║ PÀGINA"* ]] || fail "frame not redrawn: $(screen main)"
check_key F1     "KEY 0 3B 0000"
# Mouse presses arrive while reporting is on (a press as the terminal reports it).
tmux_ send-keys -t main F3
wait_for main "LAST KEY 0 3D 0000" line || fail "F3"
tmux_ send-keys -t main -l $'\e[<0;10;5M'
wait_for main "LAST MOUSE 5 10 1" line || fail "mouse press: $(screen main | tail -1)"
tmux_ send-keys -t main C-q
wait_for main "EXIT=0" || fail "demo did not end normally: $(screen main | tail -3)"
wait_for main "icanon echo" || fail "terminal not restored after the normal end: $(screen main)"
screen main | grep -q READY && fail "alternate screen not left"
[ -s "$work/main.err" ] && fail "diagnostics: $(cat "$work/main.err")"

# --- SIGTERM restores the terminal ---------------------------------------------------------
start term 80 25
wait_for term READY || fail "second demo did not start"
pid=$(pgrep -n -f "^$demo\$" || true)
if [ -n "$pid" ]; then
  kill -TERM "$pid"
  wait_for term "EXIT=143" || fail "SIGTERM exit: $(screen term | tail -3)"
  wait_for term "icanon echo" || fail "terminal not restored after SIGTERM: $(screen term)"
else
  fail "demo process not found"
fi

# --- A crash signal restores the terminal too ----------------------------------------------
start crash 80 25
wait_for crash READY || fail "third demo did not start"
tmux_ send-keys -t crash F4
wait_for crash "EXIT=134" || fail "abort exit: $(screen crash | tail -3)"
wait_for crash "icanon echo" || fail "terminal not restored after a crash: $(screen crash)"

# --- Too small a terminal, and no terminal at all --------------------------------------------
start small 70 20
wait_for small "EXIT=2" || fail "small terminal accepted: $(screen small)"
grep -q "at least 80 columns and 25 rows" "$work/small.err" || fail "small terminal message"
"$demo" </dev/null >/dev/null 2>"$work/notty.err"
[ $? -eq 2 ] || fail "no terminal accepted"
grep -q "not a terminal" "$work/notty.err" || fail "no terminal message"

[ $failures -eq 0 ] && echo "tmux console test passed"
exit $((failures > 0))
