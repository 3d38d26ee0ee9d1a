#!/usr/bin/env bash
# Compares the game's start with a bare Qt window's: builds both in build/bench (Release),
# starts a private X server without a window manager, runs each RUNS times (default 7),
# alternating, and prints the medians of the time until the window is mapped and of the
# resident memory once it shows, with the ratios game / bare.
set -euo pipefail
cd "$(dirname "$0")/../.."
source ./setup.sh
quellan_install_missing
quellan_build build/bench Release -DQUELLAN_BUILD_BENCH=ON
runs=${RUNS:-7}
exec 3< <(Xvfb -displayfd 1 -nolisten tcp -noreset -screen 0 1280x1024x24 2>/dev/null & echo "pid $!")
read -r _ xvfb <&3
read -r display <&3
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
echo "A = bare Qt window, B = Quellan; $runs runs each on :$display"
QT_QPA_PLATFORM=xcb DISPLAY=":$display" build/bench/bench/startup/quellan-startup-timer "$runs" \
    build/bench/bench/startup/quellan-bare-window build/bench/app/quellan
