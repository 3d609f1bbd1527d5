#!/usr/bin/env bash
# Two real stations (two program folders) on one register file, driven with keys
# under a private X server: the second station's registration, made while the
# first holds a new record on screen with the same number, never gives that
# number twice: the first station's save takes the next one.
set -euo pipefail
source "$(dirname "$0")/xsession.sh" "$@"

register=$work/shared
mkdir "$register"
"$SETUP" sqlite "$register" >/dev/null
for s in one two; do
  mkdir "$work/$s"
  cp "$TABRIX" "$work/$s/tabrix"
  printf '[oledb]\nProvider=SQLite;Data Source=%s\n' "$register/tabrix.db" >"$work/$s/tabrix.udl"
  printf '[Ranges]\nMinValue=100012345\nMaxValue=100020000\n[Defaults]\nShowSplash=0\nPrinterWait=0\nStationID=%s\n' "$s" \
    >"$work/$s/tabrix.ini"
done
sql() { sqlite3 "$register/tabrix.db" "$1"; }

# start NAME: the station's main window, its about box closed. Each station runs as
# a user of its own (one copy per user), so the two are told apart by their runtime folders.
start() {
  mkdir -m 700 "$work/$1/run"
  XDG_RUNTIME_DIR=$work/$1/run "$work/$1/tabrix" &
  pids+=($!)
  local about
  about=$(window "About Tabrix") || fail "station $1 shows no about box"
  xdotool windowfocus --sync "$about"
  keys Return
}
start one
first=$(xdotool search --onlyvisible --name "^Vantrel Tabrix\$" | head -1)
# Station one begins a record: X12345 is on its screen, not yet saved.
xdotool windowfocus --sync "$first"
keys F5
field first; field station

start two
second=$(xdotool search --onlyvisible --name "^Vantrel Tabrix\$" | grep -v "^$first\$" | head -1)
[ -n "$second" ] || fail "no second main window"
xdotool windowfocus --sync "$second"
keys F5
field second; field station; keys Return; field mrn2; field 011970; field w2; field t; field -30; field t; keys Return
field cbc; keys F7
for _ in $(seq 50); do [ "$(sql 'select count(*) from patients')" = 1 ] && break; sleep 0.1; done
[ "$(sql 'select AccnStr||Last_Name from patients')" = X12345SECOND ] || fail "station two saved: $(sql 'select * from patients')"
pass "station two saved X12345 while station one held it on screen"

# Station one finishes and saves its record: X12345 is taken, so it becomes X12346.
xdotool windowfocus --sync "$first"
keys Return; field mrn1; field 011970; field w1; field t; field -30; field t; keys Return
keys F7
for _ in $(seq 50); do [ "$(sql 'select count(*) from patients')" = 2 ] && break; sleep 0.1; done
[ "$(sql "select group_concat(AccnStr||':'||Last_Name, ',') from (select * from patients order by AccnNum)")" = \
  "X12345:SECOND,X12346:FIRST" ] || fail "register: $(sql 'select AccnStr, Last_Name from patients')"
[ "$(sql 'select count(*) - count(distinct AccnNum) from patients')" = 0 ] || fail "a number given twice"
pass "station one's save took X12346: no number given twice"
echo "$passed passed, 0 failed"
