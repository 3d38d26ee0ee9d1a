#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the game.
set -euo pipefail
cd "$(dirname "$0")"
source ./setup.sh
quellan_install_missing
quellan_build build/release Release
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "Quellan needs a graphical desktop: no display found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
    exit 1
fi
exec build/release/app/quellan
