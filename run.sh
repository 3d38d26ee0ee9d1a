#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the game, with the game's web server
# beside it unless one already answers at the default address.
set -euo pipefail
cd "$(dirname "$0")"
source ./setup.sh
quellan_install_missing
quellan_build build/release Release
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "Quellan needs a graphical desktop: no display found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
    exit 1
fi

# The web server for online scores and updates keeps its scores in data/ and stops when the
# game exits. It listens where the build says; when something already listens there, that
# one serves the game instead.
source build/release/quellan-server.env
server_listens() {
    (exec 3<>"/dev/tcp/$QUELLAN_LISTEN_HOST/$QUELLAN_LISTEN_PORT") 2>/dev/null
}
stop_server() {
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
}
if [[ -x build/release/server/quellan-server ]] && ! server_listens; then
    mkdir -p data
    build/release/server/quellan-server --db data/quellan-scores.db --create \
        >/dev/null 2>>data/quellan-server.log &
    server_pid=$!
    trap stop_server EXIT
    for _ in $(seq 50); do
        if server_listens || ! kill -0 "$server_pid" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
fi

status=0
build/release/app/quellan || status=$?
exit "$status"
