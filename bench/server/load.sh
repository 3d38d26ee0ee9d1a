#!/usr/bin/env bash
# Load figures for the game's web server on this machine, with wrk on the loopback address,
# each measured against a yardstick taken in the same run on the same machine, so that the
# targets hold on any machine:
#   - the disk's rate of synced 4 KiB writes in the databases' folder, taken just before the
#     posts: every commit waits for one such sync, and the server batches the posts that
#     arrive meanwhile into one commit;
#   - the same posts into a database in memory (/dev/shm), where the processor alone bounds
#     them, for disks that sync faster than the server replays games;
#   - nginx serving the same page bytes with the same wrk settings and the same keep-alive.
# Each load runs DURATION seconds (default 10); wrk uses THREADS threads (default 2) and
# CONNECTIONS connections (default 32). The posting rate limit is off and the connection
# limit per address raised, since every wrk connection comes from 127.0.0.1. Every post is a
# real game (the best lines of GAMES deals, default 100, from quellan-solve), which the server
# plays again before storing it.
#   1. score posts on a fresh database in memory, then on a fresh one on the disk;
#   2. the high-score page with at least 10,000 scores stored, in four turns of DURATION / 2
#      seconds with nginx serving its bytes;
#   3. mixed: 16 connections posting and 16 reading the page at once, 1,000,000 scores stored;
#   4. the page again while IDLE (default 5,000) idle connections are held open.
# Fails when a load saw any error or missed its target.
set -euo pipefail
cd "$(dirname "$0")/../.."
source ./setup.sh

duration=${DURATION:-10}
connections=${CONNECTIONS:-32}
threads=${THREADS:-2}
idle=${IDLE:-5000}
game_deals=${GAMES:-100}
turn_seconds=$(((duration + 1) / 2))
fill_target=10000
big_fill=1000000
# Posts are held to the lesser of two rates: one post a synced write (a server that synced
# every post on its own could not reach it; about 14 of the 32 connections' posts share a
# commit on the build machine's disk) and a share of the posts into memory (what is left when
# the disk syncs faster than games are replayed; the mixed load's pages take most of it).
post_sync_target=1.0
post_memory_target=0.3
mixed_post_sync_target=1.0
mixed_post_memory_target=0.15
# Pages a second per nginx page a second.
page_target=1.0
mixed_page_target=0.3
mixed_p99_target_ms=20

source bench/server/common.sh

# 1. in memory, then 1 and 2 on the disk.
memory=$(mktemp -d -p /dev/shm)
trap 'cleanup; rm -rf "$memory"' EXIT
start_server "$memory/scores.db"
memory_posts=$(post memory-posts "$duration" "$threads" "$connections")
stop_servers
rm -rf "$memory"
syncs=$(sync_rate)
start_server "$work/scores.db"
posts=$(post posts "$duration" "$threads" "$connections")
rounds=0
while (($(stored) < fill_target && rounds < 20)); do
    post fill 5 "$threads" "$connections" >/dev/null
    rounds=$((rounds + 1))
done
scores=$(stored)
curl -sf "$page" >"$work/page.html"
start_nginx "$work/page.html"
# The two in turns, so that whatever else the machine does meanwhile weighs on both alike.
pages=0
nginx_pages=0
for turn in 1 2 3 4; do
    ours=$(run_wrk page-$turn "$turn_seconds" "$threads" "$connections" "$page")
    theirs=$(run_wrk nginx-page-$turn "$turn_seconds" "$threads" "$connections" "$nginx_page")
    pages=$((pages + ours))
    nginx_pages=$((nginx_pages + theirs))
done
pages=$((pages / 4))
nginx_pages=$((nginx_pages / 4))
stop_servers

# 3: a million verified scores, written straight into a database the server made.
start_server "$work/big.db"
stop_servers
sqlite3 "$work/big.db" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n
    WHERE i < $big_fill) INSERT INTO scores (name, date, score, received_ms, address, deal, moves)
    SELECT 'Filled ' || i, '3/7/05', abs(random() % 973) - 416, 0, '10.0.0.1', i, 'd' FROM n;"
mixed_syncs=$(sync_rate)
start_server "$work/big.db"
big=$(stored)
post mixed-posts "$duration" 1 16 >"$work/mixed-posts.rate" &
posting=$!
mixed_pages=$(run_wrk mixed-page "$duration" 1 16 --latency "$page")
wait "$posting"
mixed_posts=$(cat "$work/mixed-posts.rate")
mixed_p99=$(p99_ms mixed-page)

# 4: idle connections held open (and opened again as the server closes them) under load.
build/bench/bench/server/quellan-idle-clients "$port" "$idle" $((duration + 4)) >"$work/idle.txt" &
holding=$!
sleep 3
idle_pages=$(run_wrk idle-page "$duration" "$threads" "$connections" "$page")
wait "$holding"
read -r idle_held idle_closed <"$work/idle.txt"
stop_servers

post_target=$(lesser "$syncs" "$post_sync_target" "$memory_posts" "$post_memory_target")
mixed_post_target=$(lesser "$mixed_syncs" "$mixed_post_sync_target" "$memory_posts" \
    "$mixed_post_memory_target")
page_ratio=$(ratio "$pages" "$nginx_pages")
mixed_page_ratio=$(ratio "$mixed_pages" "$nginx_pages")
echo "wrk on $(nproc) cores, ${duration} s per load, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "synced 4 KiB writes: $syncs/s before the posts, $mixed_syncs/s before the mixed load"
echo "score posts into memory: $memory_posts/s"
echo "nginx, the same page bytes: $nginx_pages/s ($threads threads, $connections connections)"
echo "score posts:     $posts/s = $(ratio "$posts" "$syncs") x synced writes," \
    "$(ratio "$posts" "$memory_posts") x into memory (target $post_target/s: the lesser of" \
    "$post_sync_target x synced writes and $post_memory_target x into memory)"
echo "high-score page: $pages/s with $scores scores stored = $page_ratio x nginx" \
    "(target $page_target)"
echo "mixed, $big scores stored: $mixed_posts posts/s = $(ratio "$mixed_posts" "$mixed_syncs") x" \
    "synced writes, $(ratio "$mixed_posts" "$memory_posts") x into memory (target" \
    "$mixed_post_target/s: the lesser of $mixed_post_sync_target x synced writes and" \
    "$mixed_post_memory_target x into memory), $mixed_pages pages/s = $mixed_page_ratio x" \
    "nginx (target $mixed_page_target), page p99 $mixed_p99 ms (target $mixed_p99_target_ms)"
echo "high-score page with $idle_held of $idle idle connections held: $idle_pages/s" \
    "= $(ratio "$idle_pages" "$nginx_pages") x nginx (the server closed $idle_closed idle ones" \
    "meanwhile)"
((scores >= fill_target && big >= big_fill))
at_least "$posts" "$post_target"
at_least "$page_ratio" "$page_target"
at_least "$mixed_posts" "$mixed_post_target"
at_least "$mixed_page_ratio" "$mixed_page_target"
awk -v p="$mixed_p99" -v t="$mixed_p99_target_ms" 'BEGIN { exit !(p < t) }'
