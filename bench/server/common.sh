# Shared by the server load scripts: the build, the games to post, wrk, the servers they start
# and the yardsticks their figures are measured against (nginx, the disk's synced writes).
# Sourced from the project's root after setup.sh; game_deals is set by the caller.

quellan_install_missing wrk sqlite3
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DQUELLAN_BUILD_BENCH=ON >/dev/null
cmake --build build/bench --target quellan-server quellan-idle-clients quellan-solve \
    quellan-sync-rate --parallel "$(nproc)"
source build/bench/quellan-server.env

# The games to post: deal, score and line of each deal the solver settles, kept between runs.
games=build/bench/bench-games-$game_deals.txt
if [[ ! -s $games ]]; then
    build/bench/tools/solve/quellan-solve $(seq 0 $((game_deals - 1))) |
        awk '$3 == "winnable" && $7 != "at" { sub(":", "", $2); print $2, $7, $10 }' >"$games.part"
    mv "$games.part" "$games"
fi

work=$(mktemp -d)
server_pids=()
stop_servers() {
    for pid in "${server_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    server_pids=()
}
cleanup() {
    stop_servers
    rm -rf "$work"
}
trap cleanup EXIT

# start_server DB: one more server on a free port of the build's listen host; sets port,
# base and page for it.
start_server() {
    rm -f "$work/out"
    build/bench/server/quellan-server --listen "$QUELLAN_LISTEN_HOST:0" --db "$1" --create \
        --post-rate 0 --per-address 64 >"$work/out" 2>>"$work/server.log" &
    server_pids+=($!)
    for _ in $(seq 100); do
        [[ -s $work/out ]] && break
        sleep 0.1
    done
    port=$(head -n1 "$work/out" | sed 's/.*://')
    base="http://$QUELLAN_LISTEN_HOST:$port"
    page="$base$QUELLAN_PAGE_PATH"
}

# run_wrk NAME SECONDS THREADS CONNECTIONS [wrk arguments...]: prints requests per second;
# fails on any error. The whole report stays in $work/NAME.txt.
run_wrk() {
    local name=$1 seconds=$2 wrk_threads=$3 wrk_connections=$4
    shift 4
    wrk -t"$wrk_threads" -c"$wrk_connections" -d"${seconds}s" "$@" >"$work/$name.txt"
    if grep -Eq 'Socket errors|Non-2xx' "$work/$name.txt"; then
        cat "$work/$name.txt" >&2
        echo "$name: errors" >&2
        return 1
    fi
    awk '/^Requests\/sec:/ { printf "%d\n", $2 }' "$work/$name.txt"
}

# The 99th percentile of a wrk --latency report, in milliseconds.
p99_ms() {
    awk '$1 == "99%" {
        v = $2; unit = v; sub(/[0-9.]+/, "", unit); sub(/[a-z]+$/, "", v)
        if (unit == "us") v /= 1000; else if (unit == "s") v *= 1000
        printf "%.1f\n", v }' "$work/$1.txt"
}

# post NAME SECONDS THREADS CONNECTIONS [BASE]: real games posted to the server at BASE (the
# last one started by default).
post() {
    run_wrk "$1" "$2" "$3" "$4" --latency -s bench/server/post.lua "${5:-$base}" -- \
        "$QUELLAN_POST_PATH" "$games" "$1"
}

stored() {
    curl -s "$page" | grep -Eo '[0-9]+ verified scores?' | grep -Eo '^[0-9]+'
}

# How many 4 KiB writes, each synced, the disk holding the databases completes a second,
# over 5 seconds.
sync_rate() {
    build/bench/bench/server/quellan-sync-rate "$work" 5
}

# start_nginx FILE: a private nginx serving FILE's bytes at the page's path, keeping
# connections as the server does (5 s idle, 100 requests) and logging every request as it
# does, on a free port of the listen host; sets nginx_page. Stopped with the servers.
start_nginx() {
    local prefix=$work/nginx
    mkdir -p "$prefix/html$(dirname "$QUELLAN_PAGE_PATH")"
    cp "$1" "$prefix/html$QUELLAN_PAGE_PATH"
    for _ in $(seq 10); do
        local nginx_port=$((20000 + RANDOM % 40000))
        ss -ltnH "sport = :$nginx_port" | grep -q . && continue
        nginx_config "$prefix" "$nginx_port" >"$prefix/nginx.conf"
        nginx -p "$prefix" -c "$prefix/nginx.conf" -e "$prefix/error.log" 2>/dev/null &
        local pid=$!
        nginx_page="http://$QUELLAN_LISTEN_HOST:$nginx_port$QUELLAN_PAGE_PATH"
        for _ in $(seq 50); do
            if curl -sf -o /dev/null "$nginx_page"; then
                server_pids+=("$pid")
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break # the port was taken meanwhile
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    cat "$prefix/error.log" >&2
    echo "nginx did not start" >&2
    return 1
}

# nginx_config PREFIX PORT: as many workers as cores (the server runs as many threads).
nginx_config() {
    cat <<CONFIG
daemon off;
user $(id -un);
worker_processes auto;
pid $1/nginx.pid;
events { worker_connections 4096; }
http {
    access_log $1/access.log;
    keepalive_timeout 5s;
    keepalive_requests 100;
    types { }
    default_type text/html;
    server {
        listen $QUELLAN_LISTEN_HOST:$2;
        root $1/html;
    }
}
CONFIG
}

# ratio A B: A ÷ B to two decimals.
ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", (b > 0 ? a / b : 0) }'
}

# lesser A SHARE_A B SHARE_B: the lesser of A × SHARE_A and B × SHARE_B, whole.
lesser() {
    awk -v a="$1" -v sa="$2" -v b="$3" -v sb="$4" \
        'BEGIN { x = a * sa; y = b * sb; printf "%d\n", (x < y ? x : y) }'
}

# at_least VALUE TARGET: succeeds when VALUE ≥ TARGET (decimals allowed).
at_least() {
    awk -v v="$1" -v t="$2" 'BEGIN { exit !(v >= t) }'
}
