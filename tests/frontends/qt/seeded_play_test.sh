#!/usr/bin/env bash
# A seeded window run plays the runner's games: its trace is the runner's trace of that seed,
# argument and frame period, line for line. Usage:
#   seeded_play_test.sh RL00 RL00_HEADLESS trace SEED ARGUMENT FRAME_MS SHOW
#       offscreen: the window plays the seed (ARGUMENT and FRAME_MS "-" for none), games 1 to
#       SHOW-1 replayed at once, game SHOW and the next shown
#   seeded_play_test.sh RL00 RL00_HEADLESS frame-steps
#       on an X server: a replayed game, started paused, ends at exactly as many presses of "."
#       as the runner counts frames for it
set -euo pipefail
window="$1" headless="$2" mode="$3"
if [[ $mode == frame-steps && ${4:-} != on-x ]]; then
    exec "$(dirname "$0")/../../support/on_xvfb.sh" "$0" "$window" "$headless" "$mode" on-x
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$window" "$work/rl00"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/rl00"
printf '%s\r\n' "[ログ書き込み先パス]" "\"$work/log\"" "[ログ書き込み先ファイル名]" "RL00LOG.TXT" \
    "[待機時間]" "10000" | iconv -f UTF-8 -t CP932 >"$work/RL00.INI"
# A pace chosen in the menu is no frame period of the trace: without --frame-ms both count 2 ms.
printf '[speed]\nframe_ms=5\n' >"$XDG_CONFIG_HOME/rl00/view.ini"

# runner_trace GAMES [options and argument]: the runner's trace of games 1..GAMES
runner_trace() {
    "$headless" --ini "$work/RL00.INI" --quiet --trace "$work/runner.jsonl" --games "$@"
}
same_trace() {
    cmp -s "$work/window.jsonl" "$work/runner.jsonl" || { echo "$1: traces differ"; exit 1; }
}

if [[ $mode == trace ]]; then
    seed="$4" arg="$5" frame_ms="$6" show="$7"
    options=(--seed "$seed")
    [[ $frame_ms == - ]] || options+=(--frame-ms "$frame_ms")
    [[ $arg == - ]] || options+=("$arg")
    name="${options[*]}, game $show shown"
    QT_QPA_PLATFORM=offscreen timeout 240 "$work/rl00" --no-delay --replay "$show" \
        --end-after-games $((show + 1)) --trace "$work/window.jsonl" "${options[@]}" ||
        { echo "$name: exit code $?"; exit 1; }
    runner_trace $((show + 1)) "${options[@]}"
    same_trace "$name"
else
    seed=5 show=3
    runner_trace "$show" --seed "$seed"
    frames=$(sed -n "${show}s/.*\"frames\":\([0-9]*\),.*/\1/p" "$work/runner.jsonl")
    QT_QPA_PLATFORM=xcb "$work/rl00" --zoom 1 --no-delay --seed "$seed" --replay "$show" --paused \
        --trace "$work/window.jsonl" &
    pid=$!
    wid=$(timeout 60 xdotool search --sync --onlyvisible --name 'CRフォグランタン' | head -1)
    shown() { grep -qs "\"game\":$show," "$work/window.jsonl"; }
    xdotool key --window "$wid" --delay 1 --repeat $((frames - 1)) period
    # The title names the frame held once every press has let its frame pass; the game must still
    # stand at its last frame then. The limit only ends a hang.
    grouped=$(sed ':a;s/\B[0-9]\{3\}\>/,&/;ta' <<<"$frames")
    timeout 120 xdotool search --sync --name "第${show}ゲーム ${grouped}コマ目" >/dev/null ||
        { echo "the title never named frame $frames of game $show"; kill "$pid"; exit 1; }
    ! shown || { echo "game $show was over before its last frame ($frames)"; kill "$pid"; exit 1; }
    xdotool key --window "$wid" period
    # The line comes as soon as the program has taken the key; the limit only ends a hang.
    for ((i = 0; i < 1200; ++i)); do shown && break || sleep 0.1; done
    xdotool windowclose "$wid"
    wait "$pid" || { echo "exit code $?"; exit 1; }
    same_trace "game $show stepped frame by frame"
fi
echo "ok: $mode"
