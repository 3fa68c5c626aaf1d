#!/usr/bin/env bash
# quillary --list against the sqlite3 shell's .schema on a database of many
# tables (default 10,000): the median wall time of each over several runs
# and their ratio. Usage: bench/list_catalogue.sh [QUILLARY] [TABLES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
quillary=${1:-$root/build/app/quillary}
tables=${2:-10000}
runs=${3:-7}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
db=$dir/many.db
{
    echo "begin;"
    for ((i = 0; i < tables; i++)); do
        echo "create table t$i(id integer primary key, name varchar(40), price real, created date, note text);"
    done
    echo "create view v as select count(*) n, sum(price) total from t0;"
    echo "commit;"
} | sqlite3 "$db"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
time_of() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
a=() b=()
for ((r = 0; r <= runs; r++)); do
    ta=$(time_of "$quillary" --list "Provider=SQLite;Data Source=$db")
    tb=$(time_of sqlite3 "$db" .schema)
    ((r == 0)) && continue # warm-up
    a+=("$ta") b+=("$tb")
done
ma=$(printf '%s\n' "${a[@]}" | median)
mb=$(printf '%s\n' "${b[@]}" | median)
echo "list_catalogue: $tables tables, median of $runs runs: quillary --list ${ma} ms," \
    "sqlite3 .schema ${mb} ms, ratio $(awk "BEGIN {printf \"%.2f\", $ma / $mb}")"
