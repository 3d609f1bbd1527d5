#!/usr/bin/env bash
# A private PostgreSQL cluster for the tests, never the machine's own:
#   cluster.sh start DIR PORT   initdb in DIR, socket in DIR, no TCP, trust for postgres
#   cluster.sh stop DIR
#   cluster.sh halt DIR / resume DIR PORT   stops the server and starts it again, keeping its data
set -euo pipefail
cmd=$1
dir=$2
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
if [ "$cmd" = halt ]; then
  runuser -u postgres -- "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  exit 0
fi
if [ "$cmd" = resume ]; then
  runuser -u postgres -- "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
    -o "-k $dir -p $3 -c listen_addresses='' -c fsync=off" start >/dev/null
  exit 0
fi
if [ "$cmd" = stop ]; then
  [ -d "$dir/data" ] && runuser -u postgres -- "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$dir"
  exit 0
fi
port=$3
[ -d "$dir/data" ] && runuser -u postgres -- "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
rm -rf "$dir"
mkdir -p "$dir"
chown postgres "$dir"
runuser -u postgres -- "$bin/initdb" -D "$dir/data" -A trust -U postgres >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log"; exit 1; }
runuser -u postgres -- "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
  -o "-k $dir -p $port -c listen_addresses='' -c fsync=off" start >/dev/null || { cat "$dir/server.log"; exit 1; }
echo "private PostgreSQL at $dir, port $port"
