#!/usr/bin/env bash
# The real program under a private X server, on a register of 100,000 registrations:
# Record > Find (Ctrl+F) by each form makes the match the current record (its label,
# printed by F8 through the private CUPS server, names it); a registration naming a
# patient the register holds otherwise is asked about: No keeps it unsaved, Yes saves it.
set -euo pipefail
source "$(dirname "$0")/xsession.sh" "$@"

prog=$work/prog
new_program "$prog"
printf '[Ranges]\nMinValue=100200000\nMaxValue=100300000\n[Defaults]\nShowSplash=0\nPrinterWait=0\n' >"$prog/tabrix.ini"
printf '%s\r\n' '<#Field Name=AccnStr> <#Field Name=FullName>[CR][LF]' >"$prog/tabrix.tpd"
sql() { sqlite3 "$prog/tabrix.db" "$1"; }
sql "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)
     INSERT INTO patients (AccnNum, AccnStr, Created, Last_Name, First_Name, Gender, Patient_id, DOB, Location,
                           Collection_date, Collection_Time, Recieve_date, Recieve_Time)
     SELECT 100000000 + i, 'X' || i, '2026-12-08T09:00:00.000', 'LAST' || i, 'FIRST', 'F', 'MRN' || i, '01/19/1970',
            'W1', '12/08/2026', '0900', '12/08/2026', '0915' FROM n;
     INSERT INTO tests (Order_id, TestCode) SELECT Order_id, 'CBC' FROM patients;
     UPDATE patients SET Last_Name = 'DOE', First_Name = 'JANE', Patient_id = 'MRN100234', DOB = '03/14/1985'
       WHERE AccnNum = 100012345;"
out=$TABRIX_CUPS_DIR/out
jobs_now() { ls "$out" | grep -c '^job-' || true; }
# last_label: the text of the newest job once one more than $1 arrived (its last LF dropped).
last_label() {
  for _ in $(seq 100); do [ "$(jobs_now)" -gt "$1" ] && break; sleep 0.1; done
  cat "$out/$(ls "$out" | grep '^job-' | sort -t- -k2 -n | tail -1)"
}

start_tabrix "$prog/tabrix"
for typed in X50000 100060000 MRN70000 "LAST80000, F" "doe, j"; do
  keys ctrl+f
  find=$(window "Find" "$app") || fail "no Find window for $typed"
  xdotool windowfocus --sync "$find"
  typed "$typed"
  keys Return Escape
  xdotool windowfocus --sync "$main"
  before=$(jobs_now)
  keys F8
  label=$(last_label "$before")
  case $typed in
    X50000) want="X50000 LAST50000,FIRST" ;;
    100060000) want="X60000 LAST60000,FIRST" ;;
    MRN70000) want="X70000 LAST70000,FIRST" ;;
    "LAST80000, F") want="X80000 LAST80000,FIRST" ;;
    *) want="X12345 DOE,JANE" ;;
  esac
  [ "$label" = "$want"$'\r' ] || fail "Find $typed: the label printed says $(printf '%q' "$label")"
  pass "Find $typed made $want's registration current"
done

# A new registration naming MRN100234 as DOE, JAN: asked; No keeps it unsaved.
keys F5
field doe; field jan; keys Return; field mrn100234; field 031485; field w1; field t; field -5; field t; keys Return
question=$(window "Warning" "$app") || fail "no question about the patient held as DOE, JANE"
xdotool windowfocus --sync "$question"
keys n
xdotool windowfocus --sync "$main"
[ "$(sql "select count(*) from patients where First_Name = 'JAN'")" = 0 ] || fail "saved after No"
pass "No keeps the registration naming DOE, JAN unsaved"
keys F7
question=$(window "Warning" "$app") || fail "no question at the second save"
xdotool windowfocus --sync "$question"
keys y
for _ in $(seq 50); do [ "$(sql "select count(*) from patients where First_Name = 'JAN'")" = 1 ] && break; sleep 0.1; done
[ "$(sql "select Patient_id || ' ' || DOB from patients where First_Name = 'JAN'")" = "MRN100234 03/14/1985" ] ||
  fail "after Yes: $(sql "select * from patients where First_Name = 'JAN'")"
pass "Yes saves it"
echo "$passed passed"
