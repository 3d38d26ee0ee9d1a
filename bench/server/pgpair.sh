#!/usr/bin/env bash
# Two servers posting together on one PostgreSQL against one server alone on the same
# PostgreSQL: real games posted for DURATION seconds (default 10) over 32 connections in all
# (the pair's split evenly), first on an empty table, then with 1,000,000 scores stored. While
# the pair posts, a probe posts an unverified score to the first server, once acknowledged
# times until the second server's page counts it, and posts the next. One server and the pair
# take turns ROUNDS times (default 3), as the disk's synced-write rate drifts by half within
# minutes on a shared machine; prints each round's rates and ratio, the median ratio (target
# at least 1.5), the pair's post latency and how soon the other server showed a post.
set -euo pipefail
cd "$(dirname "$0")/../.."
source ./setup.sh

duration=${DURATION:-10}
rounds=${ROUNDS:-3}
game_deals=${GAMES:-100}
big_fill=1000000
ratio_target=1.5

source bench/server/common.sh
source bench/server/pgcluster.sh

unverified_path=${QUELLAN_PAGE_PATH%.shtml}-unverified.shtml
posting() { post "$1" "$duration" 1 $((32 / ${#bases[@]})) "$2"; }
unverified() { curl -s "$1$unverified_path" | grep -Eo '[0-9]+ scores? posted' | grep -Eo '^[0-9]+'; }

# probe FROM TO NAME: posts to FROM until $work/NAME.stop appears; prints the milliseconds
# from each acknowledgement until TO's page counted the score (looked at every 10 ms or so,
# so as to take little of the cores the servers share).
probe() {
    local i=0 seen start
    seen=$(unverified "$2" || echo 0)
    while [[ ! -e $work/$3.stop ]]; do
        i=$((i + 1))
        curl -sf -o /dev/null "$1$QUELLAN_POST_PATH?name=Probe$i&date=1/1/10&score=1" || continue
        start=$(date +%s%N)
        seen=$((seen + 1))
        local waited=0
        until (($(unverified "$2" || echo 0) >= seen)); do
            sleep 0.01
            # Never shown (a server stopped under it): counted as the longest wait.
            ((++waited < 1000)) || break
        done
        echo $((($(date +%s%N) - start) / 1000000))
    done
}

# Percentiles 50 and 99 (the highest, for fewer than 100) of a file of numbers.
percentiles() { sort -n "$1" | awk '{ v[NR] = $1 } END { i = int(NR * 0.99); if (i < 1) i = 1
    printf "p50 %d ms, p99 %d ms (%d probes)", v[int((NR + 1) / 2)], v[i], NR }'; }

# round NAME: one server alone, then two together, posting; appends to NAME.rounds the two
# rates and their ratio, and to NAME-seen.ms the probe's times.
round() {
    local name=$1 first one two
    start_server "$url"
    bases=("$base")
    one=$(at_once $name-one posting)
    stop_servers
    start_server "$url"
    first=$base
    start_server "$url"
    bases=("$first" "$base")
    rm -f "$work/$name.stop"
    probe "$first" "$base" "$name" >>"$work/$name-seen.ms" &
    local prober=$!
    two=$(at_once $name-two posting)
    touch "$work/$name.stop"
    wait "$prober"
    echo "$one $two $(awk -v a="$two" -v b="$one" 'BEGIN { printf "%.2f", a / b }')" \
        >>"$work/$name.rounds"
    stop_servers
}

measure() {
    for _ in $(seq "$rounds"); do round "$1"; done
}

# report NAME LABEL: each round, then the median ratio, the last pair's latency and the
# probe's times.
report() {
    local name=$1
    echo "$2:"
    awk '{ printf "    one server %d posts/s, two servers %d posts/s, ratio %s\n", $1, $2, $3 }' \
        "$work/$name.rounds"
    echo "    median ratio $(median_ratio "$name") (target $ratio_target)"
    echo "    the pair's post latency (each server):" \
        "$(for f in "$work/$name"-two-*.txt; do
            awk '$1 == "50%" || $1 == "99%" { printf "%s %s ", $1, $2 }' "$f"
        done)"
    echo "    a post on the other server's page after: $(percentiles "$work/$name-seen.ms")"
}

median_ratio() { sort -n -k3 "$work/$1.rounds" | awk '{ r[NR] = $3 } END { print r[int((NR + 1) / 2)] }'; }

measure empty
fill_postgres $big_fill
measure big

echo "wrk on $(nproc) cores with PostgreSQL and the servers, ${duration} s per load, 32 connections"
report empty "no scores stored"
report big "$big_fill scores stored"
awk -v a="$(median_ratio empty)" -v b="$(median_ratio big)" -v t="$ratio_target" \
    'BEGIN { exit !(a >= t && b >= t) }'
