#!/usr/bin/env bash
# Screenshots of the statistics: the statistics window of build/release/app/rl00 on a
# 1920x1080 X server at zoom 1, 2 and 3, after a seeded replay, without and with the argument 7
# (the whole screen, and the window alone); and the report page of a runner's statistics file
# rendered by headless Chromium. Into OUT (default build/screens).
#
#   tools/stats_screens.sh [OUT]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"

out="$(realpath -m "${1:-$ROOT/build/screens}")"
app="$ROOT/build/release/app"
ensure_packages xvfb xdotool imagemagick chromium fonts-ipafont-gothic
[[ -x $app/rl00 && -x $app/rl00-headless ]] || {
    echo "build rl00 and rl00-headless first (cmake --build build/release)" >&2
    exit 1
}
rm -rf "$out" && mkdir -p "$out"
work="$(mktemp -d)"
pids=()
cleanup() {
    ((${#pids[@]} == 0)) || kill "${pids[@]}" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for ((i = 0; i < 600; ++i)); do [[ -s $work/display ]] && break || sleep 0.05; done
export DISPLAY=":$(head -n 1 "$work/display")"

# window ZOOM ARGUMENT GAMES NAME: replays GAMES games, opens the statistics window with S and
# shoots the screen and the window as it opens; then the window made as tall as its charts and
# moved up the screen a screen's height at a time, so that every chart is shot whole.
window() {
    local zoom="$1" argument="$2" games="$3" name="$4" main stats
    XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
        XDG_RUNTIME_DIR="$work" "$app/rl00" --zoom "$zoom" --seed 1 --replay "$games" --paused $argument \
        >"$work/$name.log" 2>&1 &
    local pid=$!
    pids+=("$pid")
    main="$(xdotool search --sync --onlyvisible --name '^CRフォグランタン' | head -n 1)"
    # The replay is over when the title no longer tells how far it has come.
    for ((i = 0; i < 600; ++i)); do
        xdotool getwindowname "$main" | grep -q 'リプレイ' || break
        sleep 0.1
    done
    xdotool windowfocus --sync "$main" key s
    stats="$(xdotool search --sync --onlyvisible --name '^統計' | head -n 1)"
    sleep 1.5
    import -window root "$out/$name-screen.png"
    import -window "$stats" "$out/$name-window.png"
    xdotool getwindowgeometry "$stats" | sed "s/^/$name: /" >>"$out/geometry.txt"
    # One column of charts is some 2,200 of the window's pixels tall, the zoom times as many.
    local part=0 top tall=$((2300 * zoom))
    xdotool windowsize --sync "$stats" 1900 "$tall"
    for ((top = 0; top > -tall; top -= 1000)); do
        xdotool windowmove --sync "$stats" 0 "$top"
        sleep 0.7
        import -window root "$out/$name-part$((part++)).png"
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

for zoom in 1 2 3; do
    window "$zoom" "" 100000 "zoom$zoom"
    window "$zoom" 7 2000 "zoom$zoom-arg7"
done

# The report of four machines of a million games each, and of the argument 7.
report() {
    local name="$1"
    shift
    "$app/rl00-headless" --quiet --ini /dev/null --stats "$work/$name.json" "$@" 2>/dev/null
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" "$app/rl00" --report "$work/$name.json" "$out/$name" >/dev/null
    for height in 1400 9000; do
        chromium --no-sandbox --headless --disable-gpu --no-first-run \
            --disable-background-networking --disable-component-update --disable-sync \
            --user-data-dir="$work/chromium-$name-$height" --hide-scrollbars \
            --window-size=1280,"$height" --screenshot="$out/$name-page-$height.png" \
            "file://$out/$name/index.html" >/dev/null 2>&1
    done
}
report report --games 1000000 --machines 4 --seed 1
report report-arg7 --games 20000 --seed 1 7
echo "screenshots in $out"
