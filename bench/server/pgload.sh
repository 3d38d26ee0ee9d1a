#!/usr/bin/env bash
# Two servers on one PostgreSQL against one server on SQLite, under the same load: real games
# posted for DURATION seconds (default 10) over 32 connections in all, then the high-score
# page over 32 connections, then the page's 99th percentile latency with 1,000,000 scores
# stored. The pair's connections are split evenly between its two servers. PostgreSQL runs
# in a temporary cluster of its own, as the postgres user when run as root.
set -euo pipefail
cd "$(dirname "$0")/../.."
source ./setup.sh

duration=${DURATION:-10}
game_deals=${GAMES:-100}
big_fill=1000000
pair_post_target=2000

source bench/server/common.sh

pgbin=/usr/lib/postgresql/15/bin
pgdir=$work/pg
mkdir -p "$pgdir"
as_postgres=()
if [[ $(id -u) -eq 0 ]]; then
    chmod o+x "$work" # PostgreSQL runs as postgres, and must reach its folder
    chown postgres "$pgdir"
    as_postgres=(runuser -u postgres --)
fi
pgport=$((20000 + RANDOM % 20000))
"${as_postgres[@]}" "$pgbin/initdb" -D "$pgdir/data" -A trust -U quellan >/dev/null
"${as_postgres[@]}" "$pgbin/pg_ctl" -D "$pgdir/data" -w -l "$pgdir/log" \
    -o "-k $pgdir -p $pgport -c listen_addresses=''" start >/dev/null
stop_postgres() {
    "${as_postgres[@]}" "$pgbin/pg_ctl" -D "$pgdir/data" -m fast -w stop >/dev/null || true
}
trap 'stop_servers; stop_postgres; rm -rf "$work"' EXIT
url="postgresql:///postgres?host=$pgdir&port=$pgport&user=quellan"

# at_once NAME COMMAND...: runs the command once for each server base in $bases at the same
# time, NAME-1, NAME-2 ...; prints the sum of their requests per second.
at_once() {
    local name=$1 i=0 pids=()
    shift
    for b in "${bases[@]}"; do
        i=$((i + 1))
        "$@" "$name-$i" "$b" >"$work/$name-$i.rate" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do wait "$pid"; done
    cat "$work/$name"-*.rate | awk '{ sum += $1 } END { print sum }'
}
posting() { post "$1" "$duration" 1 $((32 / ${#bases[@]})) "$2"; }
paging() { run_wrk "$1" "$duration" 1 $((32 / ${#bases[@]})) --latency "$2$QUELLAN_PAGE_PATH"; }
p99_of() { for f in "$work/$1"-*.txt; do p99_ms "$(basename "$f" .txt)"; done | sort -n | tail -n1; }

# load NAME: posts, pages, then pages again with a million scores filled in by FILL.
load() {
    local name=$1
    eval "${name}_posts=\$(at_once $name-posts posting)"
    eval "${name}_pages=\$(at_once $name-pages paging)"
}

start_server "$work/one.db"
bases=("$base")
load sqlite
stop_servers
sqlite3 "$work/one.db" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n
    WHERE i < $big_fill) INSERT INTO scores (name, date, score, received_ms, address, deal, moves)
    SELECT 'Filled ' || i, '3/7/05', abs(random() % 973) - 416, 0, '10.0.0.1', i, 'd' FROM n;"
start_server "$work/one.db"
bases=("$base")
sqlite_big=$(at_once sqlite-big paging)
sqlite_p99=$(p99_of sqlite-big)
stop_servers

start_server "$url"
first=$base
start_server "$url"
bases=("$first" "$base")
load pair
psql -q "$url" -c "INSERT INTO scores (name, date, score, received_ms, address, deal, moves)
    SELECT 'Filled ' || i, '3/7/05', (random() * 972)::int - 416, 0, '10.0.0.1', i, 'd'
    FROM generate_series(1, $big_fill) i"
sleep 2 # each server reads the list again at the next look
pair_big=$(at_once pair-big paging)
pair_p99=$(p99_of pair-big)

echo "wrk on $(nproc) cores with PostgreSQL and the servers, ${duration} s per load"
echo "one server on SQLite:     $sqlite_posts posts/s, $sqlite_pages pages/s;" \
    "with $big_fill more scores $sqlite_big pages/s, p99 $sqlite_p99 ms"
echo "two servers on PostgreSQL: $pair_posts posts/s (target $pair_post_target)," \
    "$pair_pages pages/s (target: at least SQLite's);" \
    "with $big_fill more scores $pair_big pages/s, p99 $pair_p99 ms"
((pair_posts >= pair_post_target && pair_pages >= sqlite_pages))
