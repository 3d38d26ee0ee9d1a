#!/usr/bin/env bash
# Two servers posting together on one PostgreSQL against one server alone on the same
# PostgreSQL: real games posted for DURATION seconds (default 10) over 32 connections in all
# (the pair's split evenly), first on an empty table, then with 1,000,000 scores stored. While
# the pair posts, a probe posts an unverified score to the first server, once acknowledged
# times until the second server's page counts it, and posts the next. Prints both rates, their
# ratio (target at least 1.5), the pair's post latency and how soon the other server showed a
# post.
set -euo pipefail
cd "$(dirname "$0")/../.."
source ./setup.sh

duration=${DURATION:-10}
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
        until (($(unverified "$2" || echo 0) >= seen)); do sleep 0.01; done
        echo $((($(date +%s%N) - start) / 1000000))
    done
}

# Percentiles 50 and 99 (the highest, for fewer than 100) of a file of numbers.
percentiles() { sort -n "$1" | awk '{ v[NR] = $1 } END { i = int(NR * 0.99); if (i < 1) i = 1
    printf "p50 %d ms, p99 %d ms (%d probes)", v[int((NR + 1) / 2)], v[i], NR }'; }

# measure NAME: one server alone, then two together, posting; sets NAME_one, NAME_two,
# NAME_latency and NAME_seen.
measure() {
    local name=$1 first
    start_server "$url"
    bases=("$base")
    eval "${name}_one=\$(at_once $name-one posting)"
    stop_servers
    start_server "$url"
    first=$base
    start_server "$url"
    bases=("$first" "$base")
    probe "$first" "$base" "$name" >"$work/$name-seen.ms" &
    local prober=$!
    eval "${name}_two=\$(at_once $name-two posting)"
    touch "$work/$name.stop"
    wait "$prober"
    eval "${name}_latency=\"\$(for f in $work/$name-two-*.txt; do
        awk '\$1 == \"50%\" || \$1 == \"99%\" { printf \"%s %s \", \$1, \$2 }' \$f; done)\""
    eval "${name}_seen=\"\$(percentiles $work/$name-seen.ms)\""
    stop_servers
}

report() {
    local name=$1 label=$2 one two
    one=${name}_one two=${name}_two
    local latency=${name}_latency seen=${name}_seen
    echo "$label: one server ${!one} posts/s, two servers ${!two} posts/s," \
        "ratio $(awk -v a="${!two}" -v b="${!one}" 'BEGIN { printf "%.2f", a / b }')" \
        "(target $ratio_target)"
    echo "    the pair's post latency (each server): ${!latency}"
    echo "    a post on the other server's page after: ${!seen}"
}

measure empty
fill_postgres $big_fill
measure big

echo "wrk on $(nproc) cores with PostgreSQL and the servers, ${duration} s per load, 32 connections"
report empty "no scores stored"
report big "$big_fill scores stored"
awk -v a="$empty_two" -v b="$empty_one" -v c="$big_two" -v d="$big_one" -v t="$ratio_target" \
    'BEGIN { exit !(a >= t * b && c >= t * d) }'
