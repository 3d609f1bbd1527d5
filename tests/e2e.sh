#!/usr/bin/env bash
# The real program, driven as a person would with the keyboard under a private X
# server and printing to the private CUPS server: two registrations, browsing,
# the patient log, the export; then the register, every label and the export file.
set -euo pipefail
source "$(dirname "$0")/xsession.sh" "$@"

prog=$work/prog
new_program "$prog"
printf '[Ranges]\nMinValue=100012345\nMaxValue=100020000\n[Defaults]\nShowSplash=0\nPrinterWait=0\nStationID=E2E Bench\n' >"$prog/tabrix.ini"
printf '%s\r\n' '// one label per test' 'N[CR][LF]' 'T1 <#Field Name=FullName Length=12>[CR][LF]' \
  'T2 <#Field Name=AccnStr> <#Field Name=DOB Format=yyyy-mm-dd>[CR][LF]' \
  'T3 <#Field Name=TestCode Length=10>[CR][LF]' 'T4 <#Field Name=TestCode2 Length=10>[CR][LF]' 'P1[CR][LF]' >"$prog/tabrix.tpd"
out=$TABRIX_CUPS_DIR/out
before=$(ls "$out" | wc -l)

start_tabrix env LC_ALL=en_US.UTF-8 "$prog/tabrix"

# First registration: the Enter ring, short forms, two tests, Enter on the empty box.
keys F5
field pindle; field oska; keys Return; field mrn0042; field 011970; field w144
field t; field -5; field T; keys Return
field cbc; field "bmp,cmp,lipid,tsh"; keys Return
# Second: gender by the Down key, a date with slashes, yesterday's collection.
field doe; field jane; keys Down; field mrn7; field 2/2/1980; field er
field t-1; field 1200; field t-1; field 1230
field tsh; keys Return
# The second registration's label is printed before going on.
for _ in $(seq 200); do [ "$(ls "$out" | grep -c '^job-')" -ge $((before + 3)) ] && break; sleep 0.1; done
# The third record, just begun, is cancelled; Page Up goes back to the first.
keys F6 Prior
# The patient log opens and closes; then the export.
keys alt+v Return
log=$(window "Patient Log") || fail "no patient log"
xdotool windowfocus --sync "$log"
keys Escape
xdotool windowfocus --sync "$main"
keys alt+f e
save=$(window "Save As") || fail "no save dialog"
xdotool windowfocus --sync "$save"
typed "$work/export"
keys Return
info=$(window "Information") || fail "no 'Export complete'"
xdotool windowfocus --sync "$info"
keys Return
xdotool windowfocus --sync "$main"
keys alt+f x
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program did not close"

# The register.
sql() { sqlite3 "$prog/tabrix.db" "$1"; }
today=$(date +%m/%d/%Y)
yesterday=$(date -d yesterday +%m/%d/%Y)
[ "$(sql "select AccnStr||'|'||Last_Name||'|'||First_Name||'|'||Gender||'|'||Patient_id||'|'||DOB||'|'||Location||'|'||Collection_date||'|'||Recieve_date from patients order by AccnNum")" = \
  "X12345|PINDLE|OSKA|M|MRN0042|01/19/1970|W144|$today|$today
X12346|DOE|JANE|F|MRN7|02/02/1980|ER|$yesterday|$yesterday" ] || fail "register: $(sql 'select * from patients')"
[ "$(sql "select count(*) from patients where Collection_Time < Recieve_Time")" = 2 ] || fail "times"
[ "$(sql "select group_concat(TestCode, '|') from (select TestCode from tests order by Test_id)")" = "CBC|BMP,CMP,LIPID,TSH|TSH" ] || fail "tests"
echo "ok: the register holds both registrations and their tests"

# Every label, byte for byte, in order.
jobs=()
for _ in $(seq 50); do
  mapfile -t jobs < <(ls "$out" | grep '^job-' | sort -t- -k2 -n | tail -n +$((before + 1)))
  [ ${#jobs[@]} -ge 3 ] && break
  sleep 0.1
done
[ ${#jobs[@]} = 3 ] || fail "${#jobs[@]} label jobs"
expect=(
  $'N\r\nT1 PINDLE,OSKA\r\nT2 X12345 1970-01-19\r\nT3 CBC\r\nT4 \r\nP1\r\n'
  $'N\r\nT1 PINDLE,OSKA\r\nT2 X12345 1970-01-19\r\nT3 BMP,CMP\r\nT4 LIPID,TSH\r\nP1\r\n'
  $'N\r\nT1 DOE,JANE\r\nT2 X12346 1980-02-02\r\nT3 TSH\r\nT4 \r\nP1\r\n'
)
for i in 0 1 2; do
  cmp -s <(printf '%s' "${expect[$i]}") "$out/${jobs[$i]}" || fail "label $((i + 1)): $(od -c "$out/${jobs[$i]}" | head)"
done
echo "ok: three label jobs with the expected bytes"

# The export file, byte for byte.
line() { # ORDER_ID: the export line of a patient, from its stored columns
  local created c
  created=$(sql "select Created from patients where Order_id = $1")
  c=$(date -d "${created%.*}" '+%-m/%-d/%y %-I:%M:%S %p')
  sql "select Order_id||'\\'||AccnNum||'\\'||AccnStr||'\\'||'$c'||'\\'||Last_Name||'\\'||First_Name||'\\'||Middle_Initial||'\\'||Gender||'\\'||Patient_id||'\\'||DOB||'\\'||Location||'\\'||Collection_date||'\\'||Collection_Time||'\\'||Recieve_date||'\\'||Recieve_Time||'\\' from patients where Order_id = $1" | tr -d '\n'
}
{ printf '%s%s\r\n' "$(line 1)" 'CBC,"BMP,CMP,LIPID,TSH"'; printf '%s%s\r\n' "$(line 2)" 'TSH'; } >"$work/expected.txt"
cmp "$work/expected.txt" "$work/export.txt" || fail "export: $(cat -A "$work/export.txt")"
echo "ok: the export file"
echo "3 passed, 0 failed"
