#!/usr/bin/env bash
# Builds the .deb, unpacks it without installing it, and starts the unpacked
# program against a register of its own.
set -euo pipefail
BUILD=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; echo "0 passed, 1 failed"; exit 1; }
(cd "$BUILD" && cpack -G DEB -B "$work/pkg" >/dev/null) || fail "cpack"
deb=$(ls "$work"/pkg/*.deb)
[ "$(dpkg-deb -f "$deb" Package)" = tabrix ] || fail "control"
dpkg-deb -x "$deb" "$work/root"
dir=$work/root/opt/tabrix
for f in tabrix tabrix-register tabrix-preview tabrix.tpd docs/index.html schema/sqlite.sql schema/postgresql.sql \
         share/applications/tabrix.desktop share/icons/tabrix.png; do
  [ -e "$dir/$f" ] || fail "$f is not in the package"
done
ls "$dir"/splash/*.gif >/dev/null || fail "no splash pictures"
echo "ok: $(basename "$deb") holds the program folder"

export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/run CUPS_SERVER=/nonexistent/cups.sock
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$dir/tabrix-register" sqlite "$dir" >/dev/null || fail "the set-up tool"
printf '[Defaults]\nShowSplash=0\n' >"$dir/tabrix.ini"
"$dir/tabrix" &
app=$!
sleep 3
kill -0 "$app" 2>/dev/null || fail "the installed program did not keep running"
kill "$app"
wait "$app" 2>/dev/null || true
echo "ok: the installed program starts on its own register"
echo "2 passed, 0 failed"
