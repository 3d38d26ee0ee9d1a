#!/usr/bin/env bash
# Clients that ask and never read, against the game's web server on this machine: ATTACKERS
# connections (default 3,984, from 249 loopback addresses, held by quellan-idle-clients) each
# send 100 pipelined page requests and read nothing, and are opened again whenever the
# server closes one, while wrk reads the page from 4 connections for DURATION seconds
# (default 30). Reports the page's 99th percentile under attack, the kernel's TCP memory at
# its peak, and the server's resident memory at the start, under attack, and once the
# attackers have gone. Fails when the percentile passes 100 ms or the memory stays more than
# 10 % above its start.
set -euo pipefail
cd "$(dirname "$0")/../.."
source ./setup.sh

duration=${DURATION:-30}
attackers=${ATTACKERS:-3984}
game_deals=${GAMES:-100}
p99_target_ms=100

source bench/server/common.sh

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
tcp_mem_mb() {
    awk '$1 == "TCP:" { for (i = 2; i < NF; i++) if ($i == "mem") printf "%d\n", $(i + 1) * 4096 / 1048576 }' \
        /proc/net/sockstat
}

start_server "$work/scores.db"
server=${server_pids[0]}
post fill 5 2 16 >/dev/null # a page of a real size
curl -s "$page" >/dev/null
start_kb=$(rss_kb "$server")
page_kb=$(($(curl -s "$page" | wc -c) / 1024))

build/bench/bench/server/quellan-idle-clients "$port" "$attackers" $((duration + 8)) \
    "$QUELLAN_PAGE_PATH" >"$work/attack.txt" &
attack=$!
sleep 5 # the attack at its full size before the measurement
(
    while kill -0 "$attack" 2>/dev/null; do
        echo "$(tcp_mem_mb) $(rss_kb "$server")"
        sleep 0.5
    done
) >"$work/samples.txt" &
sampler=$!
run_wrk page "$duration" 1 4 --latency "$page" >/dev/null
page_p99=$(p99_ms page)
wait "$attack"
wait "$sampler"
read -r _ closed <"$work/attack.txt"
peak_tcp=$(sort -n -k1 "$work/samples.txt" | tail -n1 | awk '{ print $1 }')
peak_kb=$(sort -n -k2 "$work/samples.txt" | tail -n1 | awk '{ print $2 }')

# The server closes what the attackers left at their answers' deadline; then its memory.
after_kb=$(rss_kb "$server")
for _ in $(seq 60); do
    after_kb=$(rss_kb "$server")
    ((after_kb * 10 <= start_kb * 11)) && break
    sleep 1
done

echo "page of ${page_kb} KB; $attackers never-reading connections, closed by the server $closed times"
echo "page p99 under attack: $page_p99 ms (target $p99_target_ms)"
echo "kernel TCP memory at its peak: $peak_tcp MB"
echo "server memory: $start_kb KB at the start, $peak_kb KB at the peak, $after_kb KB after"
status=0
if awk -v v="$page_p99" -v t="$p99_target_ms" 'BEGIN { exit !(v > t) }'; then
    echo "page p99 above its target" >&2
    status=1
fi
if ((after_kb * 10 > start_kb * 11)); then
    echo "server memory not back within 10 % of its start" >&2
    status=1
fi
exit $status
