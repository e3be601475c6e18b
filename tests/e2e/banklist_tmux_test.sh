#!/usr/bin/env bash
# End-to-end test of banklist on the demo installation, driven in tmux (80x25): the print
# dialogue (title, label, option), printing on "S" through tavprint into a file with the print
# file compared byte for byte with a golden file, no printing on "N", Enter alone, Esc, the help
# page on F1, a Spanish session, and the messages for a missing data file and a missing form.
#   banklist_tmux_test.sh BUILD_DIR SOURCE_DIR
# With UPDATE_GOLDEN=1 the golden print files are written instead of compared.
# Exits 77 (skipped) when tmux is not installed.
set -u
build=$1
source=$2
golden=$source/tests/e2e/golden
. "$(dirname "$0")/../support/tmux_support.sh" e2e_test

for program in src/app/banklist tools/tavprint/tavprint; do
  [ -x "$build/$program" ] || { echo "FAIL: $build/$program is not built"; exit 1; }
done

# One demo installation, copied for every run. It must bring its remittance file (or the
# dictionary to create it).
"$source/scripts/assemble-demo.sh" "$build" "$work/demo" >"$work/demo.assemble" 2>&1 ||
  { echo "FAIL: assembling the demo failed: $(cat "$work/demo.assemble")"; exit 1; }
shopt -s nullglob nocaseglob
data=("$work/demo/root/DADES/"tremeses* "$work/demo/root/ddf/"tremeses.xd[f])
shopt -u nullglob nocaseglob
if [ ${#data[@]} -eq 0 ]; then
  echo "FAIL: the demo installation has no remittance data: $(cat "$work/demo.assemble")"
  exit 1
fi
# The print program writes its pages into a file of the root directory (the current one).
sed -i 's/^Sortida=.*\r$/Sortida=.\/LLISTAT.TXT\r/' "$work/demo/tmp/KeloTerm.ini"

# A fresh copy of the demo installation for each run: $work/NAME.
assemble() { cp -a "$work/demo" "$work/$1"; }

# Starts banklist on installation NAME; when it ends the shell shows its exit status.
start() {
  local name=$1 install=$work/$1
  tmux_ new-session -d -s "$name" -x 80 -y 25 \
    "cd '$install' && env -u HTTP_USER_AGENT -u HTTP_ACCEPT -u WINDIR -u SYSTEMROOT -u COMSPEC \
       -u BROWSER LANG=C.UTF-8 TAVROOT='$install/root/' TAVEXE='$install/exe/' \
       TAVTMP='$install/tmp/' '$install/exe/banklist' 2>'$work/$name.err';
     echo EXIT=\$?; sleep 60"
}
screen() { tmux_ capture-pane -p -t "$1"; }
keys() { local name=$1; shift; tmux_ send-keys -t "$name" "$@"; }
# Waits until the pane shows the text (fixed string); false after about 10 seconds.
wait_for() {
  local name=$1 text=$2
  for _ in $(seq 1 200); do
    screen "$name" | grep -qF -- "$text" && return 0
    sleep 0.05
  done
  return 1
}
# Waits for the end of banklist and checks its exit status and diagnostics.
ended() {
  local name=$1
  wait_for "$name" "EXIT=" || { fail "$name: banklist did not end: $(screen "$name")"; return 1; }
  wait_for "$name" "EXIT=0" || fail "$name: exit status: $(screen "$name" | grep EXIT=)"
  [ -s "$work/$name.err" ] && fail "$name: diagnostics: $(head -c 2000 "$work/$name.err")"
  return 0
}
# The print file against its golden file (or writes the golden file).
compare_print() {
  local name=$1 expected=$golden/$2 actual=$work/$1/tmp/tavprint.tmp
  [ -f "$actual" ] || { fail "$name: no print file written"; return; }
  if [ "${UPDATE_GOLDEN:-0}" = 1 ]; then
    mkdir -p "$golden" && cp "$actual" "$expected" && echo "wrote $expected"
  elif ! cmp -s "$actual" "$expected"; then
    fail "$name: print file differs from $expected: $(cmp "$actual" "$expected" 2>&1)"
  fi
  [ -s "$work/$name/root/LLISTAT.TXT" ] || fail "$name: tavprint wrote no pages"
}
nothing_printed() {
  local name=$1
  [ -e "$work/$name/tmp/tavprint.tmp" ] && fail "$name: a print file was written"
  [ -e "$work/$name/root/LLISTAT.TXT" ] && fail "$name: tavprint ran"
  return 0
}
dialogue() {
  local name=$1 label=$2
  wait_for "$name" "$label◄No►" || {
    fail "$name: dialogue not shown: $(screen "$name")"; cat "$work/$name.err"; return 1; }
}

# --- The dialogue, and S prints ------------------------------------------------------------
assemble print && start print
if dialogue print "Imprimir la taula de remeses?"; then
  shown=$(screen print)
  grep -qF "GESTIÓ BANCÀRIA DEMO" <<<"$shown" || fail "title not shown: $(sed -n 1p <<<"$shown")"
  grep -qF "TAULA DE REMESES EN DISKETTE" <<<"$shown" || fail "heading line not shown"
  grep -qF "╔" <<<"$shown" || fail "form window not framed"
  keys print S
  wait_for print "◄Sí►" || fail "S did not choose Sí: $(screen print | grep remeses)"
  keys print Enter
  ended print && compare_print print tavprint-cat.tmp
fi

# --- N, Enter alone (the first option, No) and Esc print nothing ----------------------------
for run in no enter escape; do
  assemble "$run" && start "$run"
  dialogue "$run" "Imprimir la taula de remeses?" || continue
  case $run in
    no) keys "$run" N; wait_for "$run" "◄No►"; keys "$run" Enter ;;
    enter) keys "$run" Enter ;;
    escape) keys "$run" Escape ;;
  esac
  ended "$run" && nothing_printed "$run"
done

# --- F1 opens the help page, Esc comes back to the dialogue ---------------------------------
assemble help && start help
if dialogue help "Imprimir la taula de remeses?"; then
  keys help F1
  wait_for help "Aquest programa imprimeix la taula" || fail "help page not shown: $(screen help)"
  row4=$(screen help | sed -n 4p)
  [[ "$row4" == "╔═"* ]] || fail "help window does not start on row 4: $row4"
  keys help F1
  wait_for help "AJUDA GENERAL" || fail "TOPPANEL not shown from the help page: $(screen help)"
  keys help Escape
  wait_for help "Aquest programa imprimeix la taula" || fail "back from TOPPANEL: $(screen help)"
  keys help Escape
  wait_for help "Imprimir la taula de remeses?◄No►" || fail "dialogue not back: $(screen help)"
  screen help | grep -qF "Aquest programa" && fail "help page left on the screen"
  keys help Escape
  ended help && nothing_printed help
fi

# --- A Spanish session: translated label and options, Spanish headings ----------------------
assemble spanish && sed -i 's/^Idioma=.*\r$/Idioma=SPA\r/' "$work/spanish/tmp/KeloTerm.ini" &&
  start spanish
if dialogue spanish "¿Imprimir la tabla de remesas?"; then
  grep -qF "TABLA DE REMESAS EN DISQUETE" <<<"$(screen spanish)" || fail "Spanish heading line"
  keys spanish S
  wait_for spanish "◄Sí►" || fail "Spanish S"
  keys spanish Enter
  ended spanish && compare_print spanish tavprint-spa.tmp
fi

# --- A missing data file (and no dictionary to create it): the message, then the end --------
assemble nodata && rm -rf "$work/nodata/root/DADES" "$work/nodata/root/ddf" && start nodata
wait_for nodata "NO ES POT ACCEDIR AL FITXER" || fail "no data file message: $(screen nodata)"
keys nodata Enter
ended nodata && nothing_printed nodata

# --- A missing form file: the message naming it, then the end -------------------------------
assemble noform && rm -f "$work/noform/root/FORMS/BANKLIST.TPN" && start noform
wait_for noform "NO ES POT LLEGIR EL FORMULARI" || fail "no form message: $(screen noform)"
screen noform | grep -qF 'BANKLIST.TPN' || fail "the message does not name the form file"
keys noform Enter
ended noform && nothing_printed noform

[ $failures -eq 0 ] && echo "banklist end-to-end test passed"
exit $((failures > 0))
