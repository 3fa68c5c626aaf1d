#!/usr/bin/env bash
# mariadbserver.sh start|stop ENVFILE
# A throwaway MariaDB server for the tests: mariadb-install-db and mariadbd in
# a temporary folder (as root too: the server then runs with --user=root),
# listening on 127.0.0.1 at a free port and on a socket in that folder.
# `start` writes ENVFILE with the connection details; `stop` stops the server
# and removes its folder.
set -euo pipefail
cmd=${1:?start or stop}
envfile=${2:?env file}

find_program() {
    local p
    for p in "$@"; do
        command -v "$p" 2>/dev/null && return 0
        [ -x "/usr/sbin/$p" ] && { echo "/usr/sbin/$p"; return 0; }
    done
    return 1
}
server=$(find_program mariadbd mysqld) || { echo "mariadbserver: mariadbd not found (install mariadb-server)" >&2; exit 1; }
installdb=$(find_program mariadb-install-db mysql_install_db) || { echo "mariadbserver: mariadb-install-db not found" >&2; exit 1; }
client=$(find_program mariadb mysql) || { echo "mariadbserver: the mariadb client not found" >&2; exit 1; }
user=$(id -un)

stop_server() {
    [ -f "$envfile" ] || return 0
    local dir pid
    dir=$(sed -n 's/^dir=//p' "$envfile")
    if [ -n "$dir" ] && [ -f "$dir/mariadbd.pid" ]; then
        pid=$(cat "$dir/mariadbd.pid")
        # Nothing to keep: the data goes with the folder.
        kill -KILL "$pid" 2>/dev/null || true
        # Gone, or a zombie that no longer holds its files and ports.
        for _ in $(seq 1 50); do
            state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null || true)
            [ -z "$state" ] || [ "$state" = Z ] && break
            sleep 0.05
        done
    fi
    [ -n "$dir" ] && rm -rf "$dir"
    rm -f "$envfile"
}

case "$cmd" in
start)
    stop_server
    dir=$(mktemp -d /tmp/quillary-mariadb.XXXXXX)
    password="Quillary-$RANDOM$RANDOM"
    # Small and careless about durability: the data lives for one test run.
    options=(--no-defaults --datadir="$dir/data" --user="$user" --skip-name-resolve
        --character-set-server=utf8mb4 --collation-server=utf8mb4_unicode_ci
        --innodb-buffer-pool-size=32M --innodb-log-file-size=16M
        --innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0 --sync-binlog=0)
    "$installdb" --no-defaults --datadir="$dir/data" --user="$user" --skip-test-db \
        --skip-name-resolve --auth-root-authentication-method=normal >"$dir/install.log" 2>&1 \
        || { cat "$dir/install.log" >&2; exit 1; }
    started=""
    for _ in $(seq 1 20); do
        port=$((20000 + RANDOM % 40000))
        rm -f "$dir/mariadbd.pid"
        # Its own session, and no pipe of ours: ctest waits for the pipes.
        setsid "$server" "${options[@]}" --port="$port" --bind-address=127.0.0.1 \
            --socket="$dir/mariadbd.sock" --pid-file="$dir/mariadbd.pid" \
            --log-error="$dir/server.log" </dev/null >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 1 300); do
            kill -0 "$pid" 2>/dev/null || break
            if "$client" --no-defaults --protocol=socket --socket="$dir/mariadbd.sock" -u root \
                -e "select 1" >/dev/null 2>&1; then
                started=1
                break
            fi
            sleep 0.1
        done
        [ -n "$started" ] && break
        kill -KILL "$pid" 2>/dev/null || true
    done
    [ -n "$started" ] || { cat "$dir/server.log" >&2; exit 1; }
    echo "$pid" >"$dir/mariadbd.pid"
    "$client" --no-defaults --protocol=socket --socket="$dir/mariadbd.sock" -u root -e "
        create database quillary character set utf8mb4;
        create user 'quillary'@'127.0.0.1' identified by '$password';
        create user 'quillary'@'localhost' identified by '$password';
        grant all on *.* to 'quillary'@'127.0.0.1';
        grant all on *.* to 'quillary'@'localhost';"
    {
        echo "dir=$dir"
        echo "host=127.0.0.1"
        echo "port=$port"
        echo "user=quillary"
        echo "password=$password"
        echo "database=quillary"
    } >"$envfile"
    echo "MariaDB test server on 127.0.0.1:$port ($dir)"
    ;;
stop)
    stop_server
    ;;
*)
    echo "usage: $0 start|stop ENVFILE" >&2
    exit 2
    ;;
esac
