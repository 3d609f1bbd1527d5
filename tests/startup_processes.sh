#!/usr/bin/env bash
# The real program in real processes under a private X server: one copy per user
# (a second start raises the first and ends), a lock left by a killed copy, a
# register that cannot open, and the window position written on closing.
set -euo pipefail
source "$(dirname "$0")/xsession.sh" "$@"
# on_top A B: window A (or its frame) stands above window B.
on_top() {
  local order
  order=$(xwininfo -root -children | awk '/^ +0x/ {print $1}')
  local a b i=0
  for w in $order; do
    i=$((i + 1))
    [ $((w)) = $(($1)) ] && a=$i
    [ $((w)) = $(($2)) ] && b=$i
  done
  [ -n "${a:-}" ] && [ -n "${b:-}" ] && [ "$a" -lt "$b" ] # xwininfo lists the topmost first
}

# ends_after_error PID STATUS WHAT: the program shows an error box and, once it is
# closed, ends with that exit status.
ends_after_error() {
  local error code=0
  error=$(window Error) || fail "no error box for $3"
  xdotool windowfocus --sync "$error"
  xdotool key Return
  gone "$1" || fail "the program goes on after $3"
  wait "$1" || code=$?
  [ "$code" = "$2" ] || fail "exit code $code after $3"
}

prog=$work/prog
mkdir "$prog"
cp "$TABRIX" "$prog/tabrix"
"$SETUP" sqlite "$prog" >/dev/null
printf '[Defaults]\nShowSplash=0\n' >"$prog/tabrix.ini"

# --- a second copy raises the first and ends at once ------------------------------
"$prog/tabrix" &
first=$!
pids+=("$first")
about=$(window "About Tabrix") || fail "the first copy shows no about box"
main=$(window "Vantrel Tabrix") || fail "the first copy shows no main window"
xclock -title thief &
pids+=($!)
thief=$(window thief) || fail "no other window to take the focus"
xdotool windowmove "$thief" 0 0 windowsize "$thief" 1280 1024
on_top "$thief" "$about" || fail "the other window does not cover the program"
start=$(date +%s%N)
timeout 10 "$prog/tabrix" || fail "the second copy did not end quietly"
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
kill -0 "$first" || fail "the first copy ended"
for _ in $(seq 50); do on_top "$about" "$thief" && break; sleep 0.1; done
on_top "$about" "$thief" || fail "the first copy did not come to the front"
pass "second copy ended after ${elapsed} ms and the first came to the front"

# --- closing in the normal state writes the position ------------------------------
xdotool windowfocus --sync "$about"
xdotool key Return
xdotool windowfocus --sync "$main"
xdotool key alt+f
sleep 0.5
xdotool key x
gone "$first" || fail "File > Exit did not end the program"
keys=$(sed -n '/^\[Window\]/,/^\[/p' "$prog/tabrix.ini" | grep -o '^[A-Za-z]*=' | tr -d '=\n' || true)
[ "$keys" = "WidthHeightTopLeft" ] || fail "Window keys written: '$keys'"
pass "closing wrote Window/Width, Height, Top, Left in that order"

# --- a lock left by a killed copy does not block the next start ----------------------
"$prog/tabrix" &
killed=$!
pids+=("$killed")
window "About Tabrix" >/dev/null || fail "no about box before the kill"
kill -9 "$killed"
gone "$killed"
"$prog/tabrix" &
again=$!
pids+=("$again")
window "About Tabrix" >/dev/null || fail "the program does not start after a killed copy"
kill -0 "$again" || fail "the restarted copy ended"
kill -9 "$again"
gone "$again"
pass "a stale lock is taken over"

# --- a register that cannot open ends the program without saving the position ---------
rm "$prog/tabrix.udl"
printf '[Defaults]\nShowSplash=0\n' >"$prog/tabrix.ini"
"$prog/tabrix" &
broken=$!
pids+=("$broken")
ends_after_error "$broken" 1 "a missing data link file"
[ "$(cat "$prog/tabrix.ini")" = "$(printf '[Defaults]\nShowSplash=0')" ] || fail "the settings file changed"
pass "database error ends the program, settings untouched"

# --- a lock file the user cannot write: an error box naming it, and no start ---------
# Run as an ordinary user (root writes any file): the lock file is root's own.
other=$work/other
mkdir -m 755 "$other" "$other/prog"
chmod 755 "$work"
cp "$TABRIX" "$other/prog/tabrix"
"$SETUP" sqlite "$other/prog" >/dev/null
printf '[Defaults]\nShowSplash=0\n' >"$other/prog/tabrix.ini"
chmod 666 "$other/prog"/tabrix.*
mkdir -m 700 "$other/run"
chown nobody "$other/run"
install -m 600 /dev/null "$other/run/Vantrel Tabrix.lock"
XDG_RUNTIME_DIR=$other/run HOME=$other setpriv --reuid=nobody --regid=nogroup --clear-groups "$other/prog/tabrix" &
refused=$!
pids+=("$refused")
ends_after_error "$refused" 2 "a lock file that cannot be written"
pass "a lock file that cannot be written is shown and ends the start with status 2"

# --- --version and --help answer without a window, for each program ---------------
for program in "$TABRIX" "$SETUP"; do
  name=$(basename "$program")
  [ "$(env -u DISPLAY "$program" --version)" = "$name $(project_version)" ] ||
    fail "$name --version"
  env -u DISPLAY "$program" --help | grep -q "^Usage: $name " || fail "$name --help"
done
pass "--version and --help print and end without a window"

# --- a station shared by a group the user is not in: the file and the group named ----
shared=$work/shared
mkdir -m 755 "$shared" "$shared/prog"
cp "$TABRIX" "$shared/prog/tabrix"
"$SETUP" sqlite "$shared/prog" >/dev/null
printf '[Defaults]\nShowSplash=0\n' >"$shared/prog/tabrix.ini"
chgrp root "$shared/prog/tabrix.ini"
chmod 664 "$shared/prog/tabrix.ini"
chmod 644 "$shared/prog/tabrix.udl" "$shared/prog/tabrix.db"
mkdir -m 700 "$shared/run"
chown nobody "$shared/run"
XDG_RUNTIME_DIR=$shared/run HOME=$shared setpriv --reuid=nobody --regid=nogroup --clear-groups \
  "$shared/prog/tabrix" 2>"$shared/stderr" &
outsider=$!
pids+=("$outsider")
ends_after_error "$outsider" 2 "a station file only its group may change"
grep -q "$shared/prog/tabrix.ini may be changed only by the members of the group \"root\"" "$shared/stderr" ||
  fail "the refusal does not name the file and its group: $(cat "$shared/stderr")"
pass "a user outside the station's group is told the file and the group, and the start ends with status 2"

echo "$passed passed, 0 failed"
