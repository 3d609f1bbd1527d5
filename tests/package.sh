#!/usr/bin/env bash
# The Debian package as an administrator deploys it, on this machine itself (as
# root): lintian, desktop-file-validate and the manual page; installed, a member of
# the group tabrix creates the register, starts the installed program under a
# private X server, registers a patient and prints to the private CUPS server; a
# user outside the group is refused; the edited printer definition survives a
# reinstall; remove keeps the station's files; purge keeps the register with its
# registration and names it; installed again, the set-up tool takes the kept
# register and the program numbers on; an unattended upgrade keeps the edited
# template; purge removes everything of an empty station. The machine is left as
# it was.
set -euo pipefail
BUILD=$1
[ "$(id -u)" = 0 ] || { echo "the package test installs a package: it runs as root"; exit 77; }
if dpkg-query -W -f='${Status}' tabrix 2>/dev/null | grep -q installed; then
  echo "FAIL: a tabrix package is installed on this machine already; it is not this test's to touch"
  exit 1
fi
source "$(dirname "$0")/xsession.sh"

member=tabrix-test-member
outsider=tabrix-test-outsider
state() { # what the machine holds that the package may touch
  getent group tabrix || echo "no group tabrix"
  for path in /opt /etc/opt /var/opt /opt/tabrix /etc/opt/tabrix /var/opt/tabrix /usr/bin/tabrix; do
    stat -c '%n %A %U %G' "$path" 2>/dev/null || echo "$path absent"
  done
}
machine_back() {
  local etc_opt=no
  [ -d /etc/opt ] && etc_opt=yes
  dpkg -P tabrix >/dev/null 2>&1 || true
  if [ "$etc_opt" = yes ]; then install -d -m 755 /etc/opt; fi
  rm -rf /var/opt/tabrix /etc/opt/tabrix
  for user in "$member" "$outsider"; do userdel "$user" 2>/dev/null || true; done
  delgroup --system --quiet tabrix 2>/dev/null || true
}
trap 'machine_back; cleanup' EXIT
for user in "$member" "$outsider"; do userdel "$user" 2>/dev/null || true; done
before=$(state)
chmod 755 "$work"

# --- the package file -------------------------------------------------------------
(cd "$BUILD" && cpack -G DEB -B "$work/pkg" >/dev/null) || fail "cpack"
version=$(project_version)
deb=$work/pkg/tabrix_${version}-1_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/pkg")"
[ -f "$work/pkg/tabrix-dbgsym_${version}-1_amd64.ddeb" ] || fail "no debug symbols package"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6 (>= ' || fail "Depends not from the libraries: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -x "$deb" "$work/root"
file "$work/root/opt/tabrix/tabrix" | grep -q ', stripped' || fail "the program is not stripped"
lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 || fail "lintian: $(cat "$work/lintian")"
desktop-file-validate "$work/root/usr/share/applications/tabrix.desktop" || fail "desktop-file-validate"
pass "$(basename "$deb"): stripped, debug symbols apart, Depends from the libraries, lintian and desktop-file-validate clean"

# --- installed ----------------------------------------------------------------------
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg.log")"
getent group tabrix >/dev/null || fail "no group tabrix"
dpkg-query -W -f='${Conffiles}' tabrix | grep -q '/etc/opt/tabrix/tabrix.tpd ' || fail "the printer definition is no conffile"
[ "$(stat -c %a:%G /etc/opt/tabrix /var/opt/tabrix /etc/opt/tabrix/tabrix.ini /etc/opt/tabrix/tabrix.tpd | tr '\n' ' ')" = \
  "2775:tabrix 2770:tabrix 664:tabrix 664:tabrix " ] || fail "permissions: $(stat -c '%n %a %G' /etc/opt/tabrix/* /var/opt/tabrix)"
[ "$(env -u DISPLAY tabrix --version)" = "tabrix $version" ] || fail "tabrix --version"
# A machine set to leave manual pages out (as slim container images are) shows the packaged page.
page=(tabrix)
grep -qs 'path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg.d/* && page=(-l "$work/root/usr/share/man/man1/tabrix.1.gz")
MANPAGER=cat man "${page[@]}" 2>/dev/null | grep -Eq 'tabrix +- +register +laboratory +specimens' || fail "man tabrix"
pass "installed: the group, the station's folders and files, the conffile, tabrix --version on PATH, man tabrix"

useradd -M -N -d "$work/home-member" -s /usr/sbin/nologin -G tabrix "$member"
useradd -M -N -d "$work/home-outsider" -s /usr/sbin/nologin "$outsider"
as() { # as USER COMMAND...: with the user's own groups, runtime folder and home
  local user=$1
  shift
  mkdir -p -m 700 "$work/run-$user" "$work/home-$user"
  chown "$user" "$work/run-$user" "$work/home-$user"
  XDG_RUNTIME_DIR=$work/run-$user HOME=$work/home-$user LC_ALL=en_US.UTF-8 \
    setpriv --reuid="$user" --regid=users --init-groups "$@"
}
as "$member" tabrix-register sqlite /opt/tabrix /var/opt/tabrix/tabrix.db >/dev/null || fail "the member cannot create the register"
[ "$(stat -c %a:%G /var/opt/tabrix/tabrix.db /etc/opt/tabrix/tabrix.udl | tr '\n' ' ')" = "660:tabrix 660:tabrix " ] ||
  fail "the register's permissions: $(stat -c '%n %a %G' /var/opt/tabrix/* /etc/opt/tabrix/*)"
[ -L /opt/tabrix/tabrix.udl ] || fail "the data link's link was replaced"
as "$member" sh -c 'printf "[Ranges]\nMinValue=100012345\nMaxValue=100020000\n[Defaults]\nShowSplash=0\nPrinterWait=0\n" >/opt/tabrix/tabrix.ini'
# The laboratory's own template, replaced whole in its folder as the editor does.
as "$member" sh -c 'f=$(mktemp /etc/opt/tabrix/.tabrix.tpd.XXXXXX) && chmod 664 "$f" &&
  printf "LABEL <#Field Name=AccnStr> <#Field Name=TestCode>[CR][LF]\r\n" >"$f" && mv "$f" /etc/opt/tabrix/tabrix.tpd'
edited=$(cat /etc/opt/tabrix/tabrix.tpd)
pass "a member of the group creates the register (the group's only) and edits the station's files"

# --- a registration and its label, by the installed program ---------------------------
out=$TABRIX_CUPS_DIR/out
jobs_before=$(ls "$out" | grep -c '^job-' || true)
start_tabrix as "$member" env CUPS_SERVER="$CUPS_SERVER" tabrix
keys F5
field pindle; field oska; keys Return; field mrn0042; field 011970; field w144
field t; field -5; field T; keys Return
field cbc; keys Return
for _ in $(seq 100); do [ "$(ls "$out" | grep -c '^job-')" -gt "$jobs_before" ] && break; sleep 0.1; done
job=$(ls "$out" | grep '^job-' | sort -t- -k2 -n | tail -1)
[ "$(ls "$out" | grep -c '^job-')" = $((jobs_before + 1)) ] || fail "no label printed"
[ "$(cat "$out/$job")" = "$(printf 'LABEL X12345 CBC\r\n')" ] || fail "the label: $(od -c "$out/$job" | head -3)"
keys F6 # the next record, just begun, is cancelled
# File > Export starts where the member may write: /opt/tabrix is root's.
keys alt+f e
window "Save As" "$app" >/dev/null || fail "no save dialog for the export"
sleep 0.5
typed register.txt
keys Return
info=$(window Information "$app") || fail "no word after the export"
xdotool windowfocus --sync "$info"
keys Return
[ -s "$work/home-$member/register.txt" ] || fail "the export is not in the member's home: $(ls -A "$work/home-$member")"
grep -q 'X12345' "$work/home-$member/register.txt" || fail "the export: $(head -3 "$work/home-$member/register.txt")"
xdotool windowfocus --sync "$main"
keys alt+f x # File > Exit
gone "$app" || fail "the program did not close"
[ "$(sqlite3 /var/opt/tabrix/tabrix.db 'select AccnStr || Last_Name from patients')" = X12345PINDLE ] || fail "the register"
[ "$(sqlite3 /var/opt/tabrix/tabrix.db 'select count(*) from label_log')" = 1 ] || fail "the print ledger"
grep -q '^Top=' /etc/opt/tabrix/tabrix.ini || fail "the window's place was not written to the settings"
[ -L /opt/tabrix/tabrix.ini ] || fail "the settings' link was replaced"
pass "the installed program, started by a member, registers a patient, prints its label through the spooler and exports to the member's home"

as "$outsider" tabrix 2>"$work/outsider.err" &
refused=$!
pids+=("$refused")
error=$(window Error "$refused") || fail "no error box for a user outside the group"
xdotool windowfocus --sync "$error"
keys Return
code=0
wait "$refused" || code=$?
[ "$code" = 2 ] || fail "exit code $code for a user outside the group"
grep -q '/etc/opt/tabrix/tabrix.ini may be changed only by the members of the group "tabrix"' "$work/outsider.err" ||
  fail "the refusal: $(cat "$work/outsider.err")"
pass "a user outside the group is told the file and the group"

# --- reinstall, remove, purge -----------------------------------------------------------
settings=$(cat /etc/opt/tabrix/tabrix.ini)
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i again: $(cat "$work/dpkg.log")"
[ "$(cat /etc/opt/tabrix/tabrix.tpd)" = "$edited" ] || fail "the reinstall replaced the edited template"
[ "$(cat /etc/opt/tabrix/tabrix.ini)" = "$settings" ] || fail "the reinstall changed the settings"
pass "installed again over itself: the edited printer definition and the settings stay"

dpkg -r tabrix >"$work/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$work/dpkg.log")"
[ ! -e /opt/tabrix ] && [ ! -e /usr/bin/tabrix ] || fail "the programs stayed"
for f in /etc/opt/tabrix/tabrix.ini /etc/opt/tabrix/tabrix.udl /etc/opt/tabrix/tabrix.tpd /var/opt/tabrix/tabrix.db; do
  [ -e "$f" ] || fail "remove took $f"
done
pass "remove keeps the station's files"

dpkg -P tabrix >"$work/purge.log" 2>&1 || fail "dpkg -P: $(cat "$work/purge.log")"
grep -q 'the register /var/opt/tabrix/tabrix.db holds 1 registration(s): it is kept' "$work/purge.log" ||
  fail "purge did not name the register it kept: $(cat "$work/purge.log")"
[ ! -e /etc/opt/tabrix ] || fail "purge left $(ls -A /etc/opt/tabrix)"
[ "$(ls -A /var/opt/tabrix)" = tabrix.db ] || fail "purge left $(ls -A /var/opt/tabrix)"
[ "$(sqlite3 /var/opt/tabrix/tabrix.db 'select count(*) from patients')" = 1 ] || fail "the kept register lost its row"
pass "purge removes the station's files but keeps the register with its registration, and names it"

# --- installed again on the kept register -------------------------------------------------
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i after purge: $(cat "$work/dpkg.log")"
as "$member" tabrix-register sqlite /opt/tabrix /var/opt/tabrix/tabrix.db >"$work/kept.log" 2>&1 ||
  fail "the kept register was refused: $(cat "$work/kept.log")"
grep -q '^Kept the register /var/opt/tabrix/tabrix.db (1 registrations) and wrote /opt/tabrix/tabrix.udl naming it$' \
  "$work/kept.log" || fail "what the set-up tool said of the kept register: $(cat "$work/kept.log")"
as "$member" tabrix-register range /opt/tabrix X12345 X20000 >/dev/null || fail "the range tool"
as "$member" sh -c 'printf "[Defaults]\nShowSplash=0\nPrinterWait=0\n" >>/opt/tabrix/tabrix.ini'
[ "$(as "$member" tabrix-register range /opt/tabrix --show)" = \
  "X12345 to X20000 (MinValue=100012345, MaxValue=100020000 in /opt/tabrix/tabrix.ini); the next number is X12346" ] ||
  fail "range --show: $(as "$member" tabrix-register range /opt/tabrix --show 2>&1)"
start_tabrix as "$member" env CUPS_SERVER="$CUPS_SERVER" tabrix
keys F5
field bravo; field oska; keys Return; field mrn0043; field 011970; field w144
field t; field -5; field T; keys Return
keys F6 alt+f x
gone "$app" || fail "the program did not close on the kept register"
[ "$(sqlite3 /var/opt/tabrix/tabrix.db 'select group_concat(AccnStr || Last_Name) from patients')" = X12345PINDLE,X12346BRAVO ] ||
  fail "the kept register after the reinstall: $(sqlite3 /var/opt/tabrix/tabrix.db 'select * from patients')"
pass "installed again after a purge: the set-up tool names the kept register, the range is set without the dialog, the program numbers on"

# --- an unattended upgrade over the edited template ------------------------------------------
# A later version whose shipped template changed: dpkg would ask which to keep.
as "$member" sh -c 'f=$(mktemp /etc/opt/tabrix/.tabrix.tpd.XXXXXX) && chmod 664 "$f" &&
  printf "EDITED <#Field Name=AccnStr>[CR][LF]\r\n" >"$f" && mv "$f" /etc/opt/tabrix/tabrix.tpd'
dpkg-deb -R "$deb" "$work/next"
sed -i "s/^Version: .*/Version: ${version}-2/" "$work/next/DEBIAN/control"
printf '// a later sample\r\n' >>"$work/next/etc/opt/tabrix/tabrix.tpd"
(cd "$work/next" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | xargs -0 md5sum >DEBIAN/md5sums)
dpkg-deb -b "$work/next" "$work/next.deb" >/dev/null || fail "the later package"
DEBIAN_FRONTEND=noninteractive dpkg --force-confdef --force-confold -i "$work/next.deb" </dev/null >"$work/dpkg.log" 2>&1 ||
  fail "the unattended upgrade stopped: $(cat "$work/dpkg.log")"
[ "$(cat /etc/opt/tabrix/tabrix.tpd)" = "$(printf 'EDITED <#Field Name=AccnStr>[CR][LF]\r')" ] ||
  fail "the unattended upgrade replaced the edited template"
[ -f /etc/opt/tabrix/tabrix.tpd.dpkg-dist ] || fail "the new sample was not put beside it"
rm -f /etc/opt/tabrix/tabrix.tpd.dpkg-dist
dpkg -P tabrix >/dev/null 2>&1 || fail "purge after the upgrade"
pass "an unattended upgrade keeps the edited template and puts the new sample beside it"

# --- an empty station goes whole --------------------------------------------------------
rm -rf /var/opt/tabrix
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg.log")"
as "$member" tabrix-register sqlite /opt/tabrix /var/opt/tabrix/tabrix.db >/dev/null || fail "the register"
dpkg -P tabrix >"$work/purge.log" 2>&1 || fail "dpkg -P: $(cat "$work/purge.log")"
[ ! -e /var/opt/tabrix ] && ! getent group tabrix >/dev/null || fail "purge of an empty station left $(ls -A /var/opt/tabrix 2>&1)"
for user in "$member" "$outsider"; do userdel "$user"; done
# dpkg removes a folder that its last package leaves empty, /etc/opt (made by
# base-files) too: the test puts back what it found.
if grep -q '^/etc/opt ' <<<"$before" && [ ! -e /etc/opt ]; then install -d -m 755 /etc/opt; fi
[ "$(state)" = "$before" ] || fail "the machine is not as it was: $(diff <(echo "$before") <(state))"
pass "purge of a station without registrations removes all the package made; the machine is as it was"
echo "$passed passed, 0 failed"
