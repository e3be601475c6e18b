#!/usr/bin/env bash
# End-to-end test of the key reader and the field editor in tmux (80x25): keys typed with
# send-keys, accented letters and the euro sign included, reach the field's value as code page
# 850 bytes, editing keys work, and an option field finds an option by an accented first letter.
# Exits 77 (skipped) when tmux is not installed.
set -u
demo=$1
. "$(dirname "$0")/../support/tmux_support.sh" field_test

screen() { tmux_ capture-pane -p -t field; }
# Waits until the pane shows the text (fixed string); false after about 10 seconds.
wait_for() {
  for _ in $(seq 1 200); do
    screen | grep -qF -- "$1" && return 0
    sleep 0.05
  done
  return 1
}

tmux_ new-session -d -s field -x 80 -y 25 \
  "LANG=C.UTF-8 '$demo' 2>$work/err; echo EXIT=\$?; sleep 60"
wait_for READY || { fail "demo did not start"; screen; cat "$work/err"; exit 1; }

# Free-text field: type, go home, delete the first character, insert mode at the end.
tmux_ send-keys -t field -l 'xAñó €'
wait_for 'xAñó €' || fail "typed text not shown: $(screen | sed -n 3p)"
tmux_ send-keys -t field Home DC End IC
tmux_ send-keys -t field -l 'ç'
tmux_ send-keys -t field C-Left
tmux_ send-keys -t field -l 'Ü'
tmux_ send-keys -t field Enter
wait_for "KEY 13" || fail "Enter did not end the field: $(screen | sed -n 20p)"
expected_name='NAME [Añó Ü€ç             ] KEY 13'
screen | grep -qF -- "$expected_name" || fail "value: $(screen | sed -n 20p)"
# A ñ ó blank Ü € ç, then blanks to 20 characters.
expected_hex="HEX 41A4A2209AD587$(printf '20%.0s' $(seq 1 13))"
screen | grep -qF -- "$expected_hex" || fail "value bytes: $(screen | sed -n 21p)"

# Option field: starts on "No"; "è" finds "Època" by its first letter.
wait_for "◄No" || fail "option text not shown: $(screen | sed -n 5p)"
tmux_ send-keys -t field -l 'è'
wait_for "Època" || fail "option not found by an accented letter: $(screen | sed -n 5p)"
tmux_ send-keys -t field Right Enter
wait_for "ANSWER [S] KEY 13" || fail "option value: $(screen | sed -n 22p)"

wait_for DONE || fail "demo did not finish"
tmux_ send-keys -t field q
wait_for "EXIT=0" || fail "demo did not end normally: $(screen | tail -3)"
[ -s "$work/err" ] && fail "diagnostics: $(cat "$work/err")"

[ $failures -eq 0 ] && echo "tmux field editor test passed"
exit $((failures > 0))
