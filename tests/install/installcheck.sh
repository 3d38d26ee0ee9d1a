#!/usr/bin/env bash
# installcheck.sh CHECK CMAKE BUILD_DIR APP_ID VERSION MODULE_DIR_FROM_BIN: installs the build into a temporary prefix, the
# way a package or a user would, and checks what the desktop then sees.
#   desktop-entry  the entry passes desktop-file-validate without a word
#   metainfo       the AppStream file passes appstreamcli validate without warnings or errors
#   icons          the SVG and the PNGs sit in the hicolor theme at the sizes their folders name
#   components     the game's component holds the game, and its sound module where the game
#                  looks for it, but not the web server, which installs on its own
#   installed-game the installed game, started by a new user on an X server of its own, keeps
#                  its settings and tally in the user's folders and writes nothing beside
#                  itself; a copy in a folder holding quellan.ini keeps both beside itself
set -euo pipefail

check=$1 cmake=$2 build=$3 id=$4 version=$5 module_dir_from_bin=$6
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# install PREFIX [cmake --install options...]
install_into() {
    local prefix=$1
    shift
    "$cmake" --install "$build" --prefix "$prefix" "$@" >"$tmp/install.log" 2>&1 ||
        { cat "$tmp/install.log" >&2; fail "cmake --install $* into $prefix"; return 1; }
}

# run_validator NAME COMMAND...: fails on a non-zero exit and on any line of output that
# names a warning or an error.
run_validator() {
    local name=$1
    shift
    local output status=0
    output=$("$@" 2>&1) || status=$?
    [[ -n $output ]] && printf '%s\n' "$output"
    ((status == 0)) || fail "$name exited with $status"
    if grep -Eiq 'warning|error' <<<"$output"; then
        fail "$name reported warnings or errors"
    fi
}

# png_size FILE: prints WIDTHxHEIGHT from the PNG's header, or nothing when it is no PNG.
png_size() {
    local signature
    signature=$(od -An -tx1 -N8 "$1" | tr -d ' \n')
    [[ $signature == 89504e470d0a1a0a ]] || return 0
    local -a bytes
    read -ra bytes <<<"$(od -An -tu1 -j16 -N8 "$1" | tr '\n' ' ')"
    echo "$(((bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3]))x$(((bytes[4] << 24) | (bytes[5] << 16) | (bytes[6] << 8) | bytes[7]))"
}

case $check in
desktop-entry)
    install_into "$tmp/usr"
    entry=$tmp/usr/share/applications/$id.desktop
    [[ -f $entry ]] || fail "no $entry"
    if [[ -f $entry ]]; then
        output=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate exited with $?"
        [[ -z $output ]] || { printf '%s\n' "$output"; fail "desktop-file-validate complained"; }
        # What the menu shows and starts.
        grep -qx 'Exec=quellan' "$entry" || fail "the entry does not start quellan"
        grep -qx "Icon=$id" "$entry" || fail "the entry does not name the icon $id"
        [[ -x $tmp/usr/bin/quellan ]] || fail "the entry's program is not installed"
    fi
    ;;
metainfo)
    install_into "$tmp/usr"
    metainfo=$tmp/usr/share/metainfo/$id.metainfo.xml
    if [[ -f $metainfo ]]; then
        run_validator "appstreamcli validate" appstreamcli validate --no-net "$metainfo"
        grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
            fail "the metainfo does not launch $id.desktop"
        [[ -f $tmp/usr/share/applications/$id.desktop ]] ||
            fail "the metainfo's desktop entry is not installed"
        grep -Eq "<release version=\"${version//./\\.}\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"" \
            "$metainfo" || fail "the metainfo has no dated release of version $version"
    else
        fail "no $metainfo"
    fi
    ;;
icons)
    install_into "$tmp/usr"
    theme=$tmp/usr/share/icons/hicolor
    svg=$theme/scalable/apps/$id.svg
    if [[ -f $svg ]]; then
        grep -q '<svg' "$svg" || fail "$svg is no SVG"
        grep -q 'viewBox="0 0 \([0-9]*\) \1"' "$svg" || fail "$svg is not square"
    else
        fail "no $svg"
    fi
    for side in 48 64 128 256; do
        png=$theme/${side}x${side}/apps/$id.png
        if [[ -f $png ]]; then
            size=$(png_size "$png")
            [[ $size == "${side}x${side}" ]] || fail "$png is ${size:-no PNG}, not ${side}x${side}"
        else
            fail "no $png"
        fi
    done
    ;;
components)
    install_into "$tmp/game" --component game
    for file in bin/quellan bin/quellan-pack; do
        [[ -x $tmp/game/$file ]] || fail "the game's component lacks $file"
    done
    [[ -f $tmp/game/bin/$module_dir_from_bin/libquellan-sounds.so ]] ||
        fail "the sound module is not at bin/$module_dir_from_bin, where the game looks"
    [[ ! -e $tmp/game/bin/quellan-server ]] || fail "the game's component holds the web server"
    install_into "$tmp/all"
    [[ ! -e $tmp/all/bin/quellan-server ]] || fail "a plain install holds the web server"
    install_into "$tmp/server" --component server
    [[ -x $tmp/server/bin/quellan-server ]] || fail "the server's component lacks the server"
    [[ ! -e $tmp/server/bin/quellan ]] || fail "the server's component holds the game"
    ;;
installed-game)
    install_into "$tmp/usr" --component game
    exec 3< <(Xvfb -displayfd 1 -nolisten tcp -noreset -screen 0 1280x1024x24 2>/dev/null & echo "pid $!")
    read -r _ xvfb <&3
    read -r display <&3
    trap 'kill "$xvfb" 2>/dev/null; rm -rf "$tmp"' EXIT
    # Deadlines, not pauses: on a busy machine the game can take many seconds to show or end.
    # play_once PROGRAM HOME: starts a game (File › Start Game) and ends the program (File ›
    # Exit) as a new user whose folders lie in HOME.
    play_once() {
        local program=$1 home=$2 window=""
        mkdir -p "$home"
        HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data DISPLAY=:$display \
            QT_QPA_PLATFORM=xcb "$program" >"$tmp/game.log" 2>&1 &
        local pid=$!
        for _ in $(seq 300); do
            window=$(DISPLAY=:$display xdotool search --onlyvisible --pid "$pid" --name '^Quellan$' 2>/dev/null | head -1) && [[ -n $window ]] && break
            sleep 0.1
        done
        if [[ -z $window ]]; then
            fail "$program showed no window; it said: $(cat "$tmp/game.log")"
            kill "$pid" 2>/dev/null
            return
        fi
        # Ctrl+S is File › Start Game; the item key waits for its menu, which a busy machine may
        # show after the key would have come.
        DISPLAY=:$display xdotool windowfocus --sync "$window" key --delay 50 ctrl+s alt+f
        for _ in $(seq 300); do
            (($(DISPLAY=:$display xdotool search --onlyvisible --pid "$pid" | wc -l) > 1)) && break
            sleep 0.1
        done
        DISPLAY=:$display xdotool key e
        for _ in $(seq 300); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid"
            fail "$program did not end by File › Exit"
        fi
    }
    before=$(ls "$tmp/usr/bin")
    play_once "$tmp/usr/bin/quellan" "$tmp/home"
    [[ -f $tmp/home/config/quellan/quellan.ini ]] || fail "no settings in the user's folder"
    grep -q 'Firsttime=no' "$tmp/home/config/quellan/quellan.ini" 2>/dev/null ||
        fail "the settings do not hold the first-run flag"
    tally=$tmp/home/data/quellan/quellantally.tld
    [[ -f $tally ]] || fail "no tally in the user's data folder"
    [[ $(ls "$tmp/usr/bin") == "$before" ]] || fail "the game wrote beside itself: $(ls "$tmp/usr/bin")"
    # The tally holds the one game started.
    "$tmp/usr/bin/quellan-pack" tally "$tally" >"$tmp/tally.txt" 2>&1 || fail "quellan-pack tally failed"
    grep -Eq '^Total games: +1$' "$tmp/tally.txt" || { cat "$tmp/tally.txt" >&2; fail "the tally does not count the game"; }

    # A copy in a folder of its own that holds quellan.ini keeps its files there.
    mkdir -p "$tmp/portable"
    cp "$tmp/usr/bin/quellan" "$tmp/portable/"
    printf '[quellan]\r\nFirsttime=no\r\n' >"$tmp/portable/quellan.ini"
    play_once "$tmp/portable/quellan" "$tmp/home2"
    [[ -f $tmp/portable/quellantally.tld ]] || fail "the portable copy's tally is not beside it"
    [[ ! -e $tmp/home2/config/quellan && ! -e $tmp/home2/data/quellan ]] ||
        fail "the portable copy wrote into the user's folders"
    ;;
*)
    echo "unknown check: $check" >&2
    exit 2
    ;;
esac

((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
echo "ok: $check"
