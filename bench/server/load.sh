#!/usr/bin/env bash
# Load figures for the game's web server on this machine, with wrk on the loopback address:
# score posts per second, then high-score page requests per second with at least 10,000
# scores stored. Each load runs DURATION seconds (default 10) over CONNECTIONS connections
# (default 32) from THREADS wrk threads (default 2). Fails when a load saw any error or fell
# below its target (posts: 1,000/s, page: 5,000/s).
set -euo pipefail
cd "$(dirname "$0")/../.."

duration=${DURATION:-10}
connections=${CONNECTIONS:-32}
threads=${THREADS:-2}
fill_target=10000
post_target=1000
page_target=5000

if ! command -v wrk >/dev/null; then
    sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq wrk
fi
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target quellan-server --parallel "$(nproc)"

work=$(mktemp -d)
server_pid=""
cleanup() {
    if [[ -n $server_pid ]]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The server's paths and listen host come from the build; the port is a free one.
source build/release/quellan-server.env
build/release/server/quellan-server --listen "$QUELLAN_LISTEN_HOST:0" --db "$work/scores.db" \
    >"$work/out" 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 100); do
    [[ -s $work/out ]] && break
    sleep 0.1
done
port=$(head -n1 "$work/out" | sed 's/.*://')
base="http://$QUELLAN_LISTEN_HOST:$port"
page="$base$QUELLAN_PAGE_PATH"

# run_wrk NAME SECONDS [wrk arguments...]: prints requests per second; fails on any error.
run_wrk() {
    local name=$1 seconds=$2
    shift 2
    wrk -t"$threads" -c"$connections" -d"${seconds}s" "$@" >"$work/$name.txt"
    if grep -Eq 'Socket errors|Non-2xx' "$work/$name.txt"; then
        cat "$work/$name.txt" >&2
        echo "$name: errors" >&2
        return 1
    fi
    awk '/^Requests\/sec:/ { printf "%d\n", $2 }' "$work/$name.txt"
}

stored() {
    curl -s "$page" | grep -Eo '[0-9]+ scores? posted' | grep -Eo '^[0-9]+'
}

posts=$(run_wrk posts "$duration" -s bench/server/post.lua "$base" -- "$QUELLAN_POST_PATH")
rounds=0
while (($(stored) < fill_target && rounds < 20)); do
    run_wrk fill 5 -s bench/server/post.lua "$base" -- "$QUELLAN_POST_PATH" >/dev/null
    rounds=$((rounds + 1))
done
scores=$(stored)
pages=$(run_wrk page "$duration" "$page")

echo "wrk: $threads threads, $connections connections, ${duration} s per load, on $(nproc) cores"
echo "score posts:     $posts requests/s, no errors (target $post_target)"
echo "high-score page: $pages requests/s with $scores scores stored, no errors (target $page_target)"
((posts >= post_target && pages >= page_target && scores >= fill_target))
