#!/usr/bin/env bash
# Kills the real program (SIGKILL) at random moments while registrations are typed
# and printed, 50 times on the same register: nothing saved before a kill is ever
# lost, the register stays whole, the settings file stays whole, and the program
# starts normally after every kill.
set -euo pipefail
ROUNDS=${3:-50}
source "$(dirname "$0")/xsession.sh" "$@"

prog=$work/prog
new_program "$prog"
printf '[Ranges]\nMinValue=100012345\nMaxValue=100099999\n[Defaults]\nShowSplash=0\nPrinterWait=200\n' >"$prog/tabrix.ini"
printf 'N[CR][LF]<#Field Name=AccnStr> <#Field Name=TestCode>[CR][LF]\r\n' >"$prog/tabrix.tpd"
settings=$(cat "$prog/tabrix.ini")
snapshot() {
  sqlite3 "$prog/tabrix.db" "select p.Order_id||'|'||p.AccnStr||'|'||p.Last_Name||'|'||coalesce(t.Test_id,'')||'|'||coalesce(t.TestCode,'') \
    from patients p left join tests t on t.Order_id = p.Order_id order by p.Order_id, t.Test_id"
}

RANDOM=20261210
: >"$work/saved"
for round in $(seq "$ROUNDS"); do
  # The program must start after every kill. The X server takes a while to clean
  # up a killed client and refuses new ones meanwhile ("could not connect to
  # display"): each start waits until it takes clients again, within a bound.
  about=
  deadline=$((SECONDS + 30))
  while :; do
    x_ready || fail "round $round: the X server takes no clients"
    "$prog/tabrix" 2>"$work/stderr" &
    app=$!
    pids+=("$app")
    about=$(window "About Tabrix" "$app") && break
    grep -q "could not connect to display" "$work/stderr" && [ $SECONDS -lt $deadline ] || break
    echo "round $round: the X server refused the connection; starting again once it takes clients"
  done
  [ -n "$about" ] || fail "round $round: the program did not start: $(cat "$work/stderr")"
  xdotool windowfocus --sync "$about"
  xdotool key Return
  main=$(window "Vantrel Tabrix") || fail "round $round: no main window"
  xdotool windowfocus --sync "$main"
  # The kill comes at a random moment of typing, saving and printing.
  ( sleep "$((RANDOM % 30 / 10)).$((RANDOM % 10))"; kill -9 "$app" 2>/dev/null ) &
  killer=$!
  xdotool key --delay 40 F5 2>/dev/null || true
  for f in "crash$round" oska Return mrn$round 011970 w1 t -5 t Return cbc tsh Return; do
    kill -0 "$app" 2>/dev/null || break
    if [ "$f" = Return ]; then xdotool key Return 2>/dev/null || true
    else xdotool type --delay 30 -- "$f" 2>/dev/null || true; xdotool key Return 2>/dev/null || true; fi
  done
  wait "$killer" 2>/dev/null || true
  kill -9 "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true

  [ "$(sqlite3 "$prog/tabrix.db" 'PRAGMA integrity_check')" = ok ] || fail "round $round: the register is damaged"
  [ "$(cat "$prog/tabrix.ini")" = "$settings" ] || fail "round $round: the settings file changed"
  snapshot >"$work/now"
  # Everything saved before stays: the earlier snapshot is part of this one.
  missing=$(comm -23 <(sort "$work/saved") <(sort "$work/now"))
  [ -z "$missing" ] || fail "round $round: lost $missing"
  cp "$work/now" "$work/saved"
done
echo "ok: $ROUNDS kills, $(sqlite3 "$prog/tabrix.db" 'select count(*) from patients') registrations and $(sqlite3 "$prog/tabrix.db" 'select count(*) from tests') tests kept"
echo "1 passed, 0 failed"
