#!/usr/bin/env bash
# pgserver.sh start|stop ENVFILE
# A throwaway PostgreSQL server for the tests: initdb and pg_ctl (as user
# postgres when run as root) in a temporary folder, listening on 127.0.0.1 at a
# free port. `start` writes ENVFILE with the connection details; `stop` stops
# the server and removes its folder.
set -euo pipefail
cmd=${1:?start or stop}
envfile=${2:?env file}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
if [ -z "$bindir" ]; then
    bindir=$(dirname "$(command -v initdb 2>/dev/null || echo /nonexistent/initdb)")
fi
[ -x "$bindir/initdb" ] || { echo "pgserver: PostgreSQL server binaries not found (install postgresql)" >&2; exit 1; }

as_pg() {
    if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

stop_server() {
    [ -f "$envfile" ] || return 0
    local dir
    dir=$(sed -n 's/^dir=//p' "$envfile")
    if [ -n "$dir" ] && [ -d "$dir/data" ]; then
        as_pg "$bindir/pg_ctl" -D "$dir/data" -m immediate -w -t 30 stop >/dev/null 2>&1 || true
    fi
    [ -n "$dir" ] && rm -rf "$dir"
    rm -f "$envfile"
}

case "$cmd" in
start)
    stop_server
    dir=$(mktemp -d /tmp/quillary-pg.XXXXXX)
    chmod 755 "$dir"
    [ "$(id -u)" = 0 ] && chown postgres "$dir"
    password="Quillary-$RANDOM$RANDOM"
    printf '%s\n' "$password" >"$dir/pwfile"
    [ "$(id -u)" = 0 ] && chown postgres "$dir/pwfile"
    as_pg "$bindir/initdb" -D "$dir/data" -U postgres -E UTF8 --locale=C \
        --auth-local=trust --auth-host=scram-sha-256 --pwfile="$dir/pwfile" >"$dir/initdb.log" 2>&1 \
        || { cat "$dir/initdb.log" >&2; exit 1; }
    started=""
    for _ in $(seq 1 20); do
        port=$((20000 + RANDOM % 40000))
        if as_pg "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
            -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null 2>&1; then
            started=1
            break
        fi
    done
    [ -n "$started" ] || { cat "$dir/server.log" >&2; exit 1; }
    as_pg "$bindir/psql" -q -h "$dir" -p "$port" -U postgres -d postgres -v ON_ERROR_STOP=1 \
        -c "create role quillary login password '$password'" \
        -c "create database quillary owner quillary encoding 'UTF8'" >/dev/null
    {
        echo "dir=$dir"
        echo "host=127.0.0.1"
        echo "port=$port"
        echo "user=quillary"
        echo "password=$password"
        echo "database=quillary"
    } >"$envfile"
    echo "PostgreSQL test server on 127.0.0.1:$port ($dir)"
    ;;
stop)
    stop_server
    ;;
*)
    echo "usage: $0 start|stop ENVFILE" >&2
    exit 2
    ;;
esac
