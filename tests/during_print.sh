#!/usr/bin/env bash
# The real program, driven with the keyboard and the mouse under a private X server
# while its labels wait at the private CUPS server (PrinterWait at its default):
# Page Up, F5, a click on the menu, the next patient typed ahead and a second Enter
# during a run never reach the registration being printed; a program killed
# during a run leaves no label without its row, and the next start closes the row.
set -euo pipefail
source "$(dirname "$0")/xsession.sh" "$@"

prog=$work/prog
new_program "$prog"
printf '[Ranges]\nMinValue=100012345\nMaxValue=100020000\n[Defaults]\nShowSplash=0\n' >"$prog/tabrix.ini"
# Labels of plain text, in no printer language the program draws: each goes "sent unverified".
printf '%s\r\n' '<#Field Name=AccnStr> <#Field Name=Last_Name> <#Field Name=TestCode>[CR][LF]' >"$prog/tabrix.tpd"
out=$TABRIX_CUPS_DIR/out
sql() { sqlite3 "$prog/tabrix.db" "$1"; }
jobs_now() { ls "$out" | grep -c '^job-' || true; }
wait_jobs() { for _ in $(seq 200); do [ "$(jobs_now)" -ge "$1" ] && return 0; sleep 0.1; done; return 1; }
start() { start_tabrix env LC_ALL=en_US.UTF-8 "$prog/tabrix"; }

start
first=$(jobs_now)
patient alpha; field aaa; field bbb; keys Return
wait_jobs $((first + 2)) || fail "ALPHA's labels did not arrive"
before=$(jobs_now)
patient bravo; field cbc; field tsh; field bmp
# Enter on the empty test box starts BRAVO's run; meanwhile the clerk presses Page
# Up and F5, clicks the Record menu, types the next patient ahead, presses Enter again.
keys Return
sleep 0.4
keys Prior F5
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" 160 10 click 1
sleep 0.2
field charlie; typed chuck
keys Return
wait_jobs $((before + 3)) || fail "BRAVO's labels did not arrive"
sleep 1.5
[ "$(jobs_now)" = $((before + 3)) ] || fail "$(jobs_now) jobs"
mapfile -t run < <(ls "$out" | grep '^job-' | sort -t- -k2 -n | tail -3)
got=$(for j in "${run[@]}"; do cat "$out/$j"; done)
[ "$got" = $'X12346 BRAVO CBC\r\nX12346 BRAVO TSH\r\nX12346 BRAVO BMP\r' ] || fail "BRAVO's labels: $(printf '%q' "$got")"
pass "every label of the run names BRAVO and X12346, each test once"
ids=$(for j in "${run[@]}"; do echo "${j#job-}"; done | paste -sd,)
[ "$(sql "select group_concat(AccnStr||':'||TestCode||':'||substr(Outcome, 1, 15)||':'||Job_id, ',') from (select * from label_log where AccnStr = 'X12346' order by Label_id)")" = \
  "X12346:CBC:sent unverified:${ids%%,*},X12346:TSH:sent unverified:$(echo "$ids" | cut -d, -f2),X12346:BMP:sent unverified:${ids##*,}" ] ||
  fail "ledger: $(sql 'select * from label_log')"
pass "the ledger's rows are the spooler's jobs"
[ "$(sql "select group_concat(p.AccnStr||':'||p.Last_Name||':'||t.TestCode, ',') from (select * from tests order by Test_id) t join patients p using (Order_id)")" = \
  "X12345:ALPHA:AAA,X12345:ALPHA:BBB,X12346:BRAVO:CBC,X12346:BRAVO:TSH,X12346:BRAVO:BMP" ] ||
  fail "registrations: $(sql 'select * from patients')"
pass "ALPHA and BRAVO as they were typed, nothing typed during the run among them"

# What was typed ahead is the next registration's (the second Enter left the focus
# on its gender): finish it and save it.
keys Return; field mrn3; field 011970; field w1; field t; field -5; field t; keys Return; field lipid
[ "$(sql "select AccnStr||':'||Last_Name||':'||First_Name from patients where AccnNum = 100012347")" = "X12347:CHARLIE:CHUCK" ] ||
  { import -window root "$work/screen.png" 2>/dev/null && cp "$work/screen.png" /tmp/during_print_fail.png; fail "the next registration: $(sql 'select * from patients')"; }
pass "the patient typed ahead is X12347's"

# Killed while CHARLIE's label waits at the spooler: no label without its row,
# and the next start closes the row and says so.
keys Return
sleep 0.5
kill -9 "$app"
gone "$app" || fail "not killed"
sleep 1
rows=$(sql "select count(*) from label_log where AccnStr = 'X12347'")
[ "$rows" = 1 ] || fail "$rows rows for X12347"
[ "$(jobs_now)" -le $((before + 3 + rows)) ] || fail "a label without its row"
[ "$(sql "select Outcome from label_log where AccnStr = 'X12347'")" = "sending, not confirmed" ] || fail "the row before the restart"
x_ready || fail "the X server takes no client"
start
[ "$(sql "select Outcome from label_log where AccnStr = 'X12347'")" = "not confirmed: the program ended during the print" ] ||
  fail "the row after the restart: $(sql "select Outcome from label_log where AccnStr = 'X12347'")"
pass "a run killed midway leaves its row, closed at the next start"
# The killed program's job never got its document; the spooler would keep it pending
# for many minutes: it goes now, so the tests after this one find the queue empty.
cancel -h "$TABRIX_CUPS_DIR/cups.sock" -a tabrix-labels
keys alt+f x
gone "$app" || fail "the program did not close"
echo "$passed passed, 0 failed"
