#!/usr/bin/env bash
# The real program, driven with keys and the mouse under a private X server, on one
# register file with two stations: an accession number is never given to a second
# registration after deletes, restarts or on another station; the test grid asks
# once per key pressed in it, never for the key that answered; a range written
# into the settings file as text is said at New before anything is typed.
set -euo pipefail
source "$(dirname "$0")/xsession.sh" "$@"

register=$work/shared
mkdir "$register"
"$SETUP" sqlite "$register" >/dev/null
for s in one two three; do
  mkdir -m 700 "$work/$s" "$work/$s/run"
  cp "$TABRIX" "$work/$s/tabrix"
  printf '[oledb]\nProvider=SQLite;Data Source=%s\n' "$register/tabrix.db" >"$work/$s/tabrix.udl"
  # Labels of plain text, in no printer language the program draws: each goes "sent unverified".
  printf '%s\r\n' '<#Field Name=AccnStr> <#Field Name=TestCode>[CR][LF]' >"$work/$s/tabrix.tpd"
  printf '[Ranges]\nMinValue=100012345\nMaxValue=100020000\n[Defaults]\nShowSplash=0\nPrinterWait=0\nStationID=%s\n' "$s" \
    >"$work/$s/tabrix.ini"
done
printf '[Ranges]\nMinValue=X12345\nMaxValue=X20000\n[Defaults]\nShowSplash=0\n' >"$work/three/tabrix.ini"
sql() { sqlite3 "$register/tabrix.db" "$1"; }

# start NAME: the station's main window, its about box closed.
start() { start_tabrix env XDG_RUNTIME_DIR="$work/$1/run" "$work/$1/tabrix"; }
quit() { keys alt+f x; gone "$app" || fail "the program did not close"; }
# Record > Delete from the menu (it has no key), answered Yes. On a saved record
# the menu's third enabled item (New, Print, Delete; Cancel and Save are off).
delete_record() {
  xdotool mousemove --window "$main" 103 9 click 1
  sleep 0.3
  keys Down Down Down Return
  local question
  question=$(window "Warning" "$app") || fail "no question before deleting"
  xdotool windowfocus --sync "$question"
  keys y
  xdotool windowfocus --sync "$main"
}
# boxes TITLE: how many windows with that title are shown.
boxes() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l || true; }

start one
patient alpha; patient bravo; patient charlie
keys Prior
delete_record # BRAVO, an older registration: its number is never given again
delete_record # CHARLIE, the newest, no label sent: its number comes back
[ "$(sql "select group_concat(AccnStr) from patients")" = X12345 ] || fail "after the deletes: $(sql 'select AccnStr, Last_Name from patients')"
quit
pass "an older and then the newest registration deleted"

# After a restart: the newest's number, never the older one's.
start one
patient delta
[ "$(sql "select AccnStr from patients where Last_Name = 'DELTA'")" = X12347 ] || fail "DELTA is $(sql "select AccnStr from patients where Last_Name = 'DELTA'")"
pass "after a restart the next number is X12347, never X12346"

# The test grid: a key pressed there asks once; the key that answered asks nothing.
field cbc; field tsh
xdotool mousemove --window "$main" 330 176 click 1 # the first test in the grid
sleep 0.3
for key in Return Down; do
  keys "$key"
  question=$(window "Information" "$app") || fail "no question for $key"
  xdotool windowfocus --sync "$question"
  keys n
  sleep 1
  [ "$(boxes Information)" = 0 ] || fail "a question after the answer to $key"
  xdotool windowfocus --sync "$main" # no window manager gives the focus back
done
[ "$(sql "select count(*) from tests")" = 2 ] || fail "tests: $(sql 'select TestCode from tests')"
pass "one question for each key pressed in the grid, none for the answer"

# DELTA's labels are sent; deleted afterwards, its number stays given.
xdotool windowfocus --sync "$main"
xdotool mousemove --window "$main" 460 146 click 1 # the test box
sleep 0.3
keys Return # Enter on the empty box: prints, and a new registration begins
for _ in $(seq 50); do [ "$(sql "select count(*) from label_log where AccnStr = 'X12347' and Outcome = 'sent unverified: its printer language cannot be read back'")" = 2 ] && break; sleep 0.1; done
[ "$(sql "select count(*) from label_log where AccnStr = 'X12347' and Outcome = 'sent unverified: its printer language cannot be read back'")" = 2 ] || fail "DELTA's labels"
keys F6 # the new registration is not wanted; DELTA is back on screen
delete_record
quit
start two
patient echo
[ "$(sql "select AccnStr from patients where Last_Name = 'ECHO'")" = X12348 ] || fail "ECHO is $(sql "select AccnStr from patients where Last_Name = 'ECHO'")"
quit
pass "on a second station, after the labelled newest was deleted, a new number: X12348"

# A range written as text in the settings file: said at F5, nothing started.
rows=$(sql "select count(*) from patients")
start three
keys F5
error=$(window "Error" "$app") || fail "no message at F5"
xdotool windowfocus --sync "$error"
keys Return
sleep 0.5
[ "$(boxes Error)" = 0 ] || fail "more than one message"
xdotool windowfocus --sync "$main"
[ "$(sql "select count(*) from patients")" = "$rows" ] || fail "a registration was saved"
quit
pass "MinValue=X12345 is said at F5 and no registration begins"
echo "$passed passed, 0 failed"
