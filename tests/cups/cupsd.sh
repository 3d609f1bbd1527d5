#!/usr/bin/env bash
# A private CUPS server for the tests, never the machine's own:
#   cupsd.sh start DIR   starts it with its socket at DIR/cups.sock and a raw queue
#                        "tabrix-labels" (the default) that keeps each job in DIR/out
#   cupsd.sh stop DIR    stops it and removes DIR
set -euo pipefail
cmd=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)

stop() {
  if [ -f "$dir/cupsd.pid" ]; then
    kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -rf "$dir"
}

if [ "$cmd" = stop ]; then
  stop
  exit 0
fi

stop
mkdir -p "$dir"/{etc/ppd,bin/backend,spool/tmp,cache,state,log,out}
ln -s /usr/lib/cups/daemon "$dir/bin/daemon"
ln -s /usr/lib/cups/notifier "$dir/bin/notifier"
install -m 0700 "$here/capture" "$dir/bin/backend/capture"
cat >"$dir/etc/cups-files.conf" <<CONF
FileDevice Yes
ServerRoot $dir/etc
ServerBin $dir/bin
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
SystemGroup root
CONF
cat >"$dir/etc/cupsd.conf" <<CONF
Listen $dir/cups.sock
Browsing No
WebInterface No
DefaultAuthType None
LogLevel warn
MaxJobs 0
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
CONF
cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/cupsd.pid"
# lpstat -r ends with status 0 either way: its words tell whether the server runs.
running() { [ "$(lpstat -h "$dir/cups.sock" -r 2>/dev/null)" = "scheduler is running" ]; }
for _ in $(seq 100); do
  running && break
  sleep 0.1
done
running || { cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null; exit 1; }
lpadmin -h "$dir/cups.sock" -p tabrix-labels -E -v "capture:$dir/out"
lpadmin -h "$dir/cups.sock" -d tabrix-labels
echo "private CUPS server at $dir/cups.sock"
