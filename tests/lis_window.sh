#!/usr/bin/env bash
# The real program under a private X server sends its registrations to an LIS: two
# registrations typed, File > Send to LIS against a receiver written with
# python3-hl7's MLLP server on loopback, Send; the register then holds both as
# accepted and the receiver saw each once.
set -euo pipefail
source "$(dirname "$0")/xsession.sh" "$@"
RECEIVER=$(dirname "$0")/lis/receiver.py

/usr/bin/python3 "$RECEIVER" "$work/port" "$work/seen.jsonl" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
[ -s "$work/port" ] || fail "the receiver did not start"

new_program "$work/station"
printf '[Ranges]\nMinValue=100012345\nMaxValue=100020000\n[Defaults]\nShowSplash=0\n[LIS]\nHost=127.0.0.1\nPort=%s\n' \
  "$(cat "$work/port")" >"$work/station/tabrix.ini"
sql() { sqlite3 "$work/station/tabrix.db" "$1"; }

start_tabrix "$work/station/tabrix"
patient alpha; field cbc
patient bravo; field tsh
[ "$(sql 'select count(*) from patients')" = 2 ] || fail "the registrations were not saved"
pass "two registrations typed"
[ -n "${LIS_SCREENSHOT:-}" ] && sleep 1.5 && import -window "$main" "$LIS_SCREENSHOT.main.png"

keys alt+f d
lis=$(window "Send to LIS" "$app") || fail "no Send to LIS window"
xdotool windowfocus --sync "$lis"
[ -n "${LIS_SCREENSHOT:-}" ] && import -window "$lis" "$LIS_SCREENSHOT.before.png"
keys alt+s
for _ in $(seq 100); do [ "$(sql "select count(*) from lis_messages where Outcome = 'accepted'")" = 2 ] && break; sleep 0.1; done
[ "$(sql "select group_concat(AccnStr || ' ' || OrderControl || ' ' || Outcome, ', ') from lis_messages")" = \
  "X12345 NW accepted, X12346 NW accepted" ] || fail "the register says: $(sql 'select * from lis_messages')"
[ "$(wc -l <"$work/seen.jsonl")" = 2 ] || fail "the receiver saw: $(cat "$work/seen.jsonl")"
[ -n "${LIS_SCREENSHOT:-}" ] && import -window "$lis" "$LIS_SCREENSHOT"
pass "File > Send to LIS sent both, and both were accepted"

keys Escape
xdotool windowfocus --sync "$main"
keys alt+f x
gone "$app" || fail "the program did not close"
echo "$passed passed"
