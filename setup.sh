#!/usr/bin/env bash
# Shared by run.sh and test.sh: the one list of Debian packages the project needs,
# and the steps that install what is missing and build a tree.
set -euo pipefail

QUELLAN_PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-svg-dev libqt6opengl6-dev libgl-dev qt6-qpa-plugins
    libgtest-dev libgmock-dev libbenchmark-dev
    liblz4-dev zlib1g-dev
    libboost-dev libsqlite3-dev libpq-dev postgresql postgresql-client nginx
    fonts-liberation2 curl
    desktop-file-utils appstream dpkg-dev
    xvfb openbox x11-utils x11-apps xdotool libxcb1-dev
)

quellan_install_missing() {
    local missing=()
    for pkg in "${QUELLAN_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=()
        [[ $(id -u) -ne 0 ]] && sudo=(sudo)
        "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"
    fi
}

# quellan_build DIR BUILD_TYPE [cmake options...]: configures every time, so a build folder
# made earlier takes the options too.
quellan_build() {
    local dir=$1 type=$2
    shift 2
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}
