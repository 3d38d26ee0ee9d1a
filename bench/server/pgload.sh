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
source bench/server/pgcluster.sh

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
fill_postgres $big_fill
sleep 2 # each server reads the lists again within a second
pair_big=$(at_once pair-big paging)
pair_p99=$(p99_of pair-big)

echo "wrk on $(nproc) cores with PostgreSQL and the servers, ${duration} s per load"
echo "one server on SQLite:     $sqlite_posts posts/s, $sqlite_pages pages/s;" \
    "with $big_fill more scores $sqlite_big pages/s, p99 $sqlite_p99 ms"
echo "two servers on PostgreSQL: $pair_posts posts/s (target $pair_post_target)," \
    "$pair_pages pages/s (target: at least SQLite's);" \
    "with $big_fill more scores $pair_big pages/s, p99 $pair_p99 ms"
((pair_posts >= pair_post_target && pair_pages >= sqlite_pages))
