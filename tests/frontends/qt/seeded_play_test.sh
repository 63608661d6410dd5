#!/usr/bin/env bash
# A seeded window run plays the runner's games: its trace is the runner's trace of that seed,
# argument and frame period, line for line, also after a replay. Usage:
#   seeded_play_test.sh RL00 RL00_HEADLESS MODE
#   traces       on Qt's offscreen platform, seeds and arguments with and without --replay
#   frame-steps  on an X server: game G of a replay, started paused, takes exactly as many
#                presses of "." as the runner's trace counts frames for it
set -euo pipefail
window="$1"
headless="$2"
mode="$3"

if [[ $mode == frame-steps && ${4:-} != on-x ]]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$window" "$headless" "$mode" on-x
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$window" "$work/rl00"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
printf '%s\r\n' "[ログ書き込み先パス]" "\"$work/log\"" "[ログ書き込み先ファイル名]" "RL00LOG.TXT" \
    "[待機時間]" "10000" | iconv -f UTF-8 -t CP932 >"$work/RL00.INI"

# The runner's trace of games 1..N: runner_trace N OUT [options and argument]
runner_trace() {
    local games="$1" out="$2"
    shift 2
    "$headless" --ini "$work/RL00.INI" --quiet --games "$games" --trace "$out" "$@"
}

# Whether the window's trace equals the runner's: same_trace CASE WINDOW_TRACE RUNNER_TRACE
same_trace() {
    cmp -s "$2" "$3" && return 0
    echo "$1: the window's trace differs from the runner's"
    diff <(cut -c1-200 "$2") <(cut -c1-200 "$3") | head -6
    exit 1
}

case "$mode" in
    traces)
        # A pace chosen in the menu is no frame period of the trace: without --frame-ms both
        # programs count 2 ms.
        mkdir -p "$XDG_CONFIG_HOME/rl00"
        printf '[speed]\nframe_ms=5\n' >"$XDG_CONFIG_HOME/rl00/rl00.ini"
        # seed, argument, frame period, the game shown first (1: no replay)
        while read -r seed arg frame_ms show; do
            [[ $arg == - ]] && arg=""
            frame=()
            [[ $frame_ms != - ]] && frame=(--frame-ms "$frame_ms")
            last=$((show + 1))
            name="seed $seed, argument '${arg}', --frame-ms $frame_ms, game $show shown"
            replay=()
            ((show > 1)) && replay=(--replay "$show")
            set +e
            QT_QPA_PLATFORM=offscreen timeout 240 "$work/rl00" --no-delay --seed "$seed" \
                "${frame[@]}" "${replay[@]}" --end-after-games "$last" \
                --trace "$work/window.jsonl" $arg 2>"$work/err.txt"
            status=$?
            set -e
            [[ $status -eq 0 ]] || { echo "$name: exit code $status"; cat "$work/err.txt"; exit 1; }
            runner_trace "$last" "$work/runner.jsonl" --seed "$seed" "${frame[@]}" $arg
            same_trace "$name" "$work/window.jsonl" "$work/runner.jsonl"
        done <<'EOF'
1 - - 1
11 - 0.5 5000
2 1 2 20000
3 7 2 1
4 8 0.5 100000
EOF
        ;;
    frame-steps)
        seed=5 show=3
        runner_trace "$show" "$work/runner.jsonl" --seed "$seed"
        frames=$(sed -n "${show}s/.*\"frames\":\([0-9]*\),.*/\1/p" "$work/runner.jsonl")
        QT_QPA_PLATFORM=xcb "$work/rl00" --zoom 1 --seed "$seed" --replay "$show" --paused \
            --trace "$work/window.jsonl" 2>"$work/err.txt" &
        pid=$!
        wid=$(timeout 60 xdotool search --sync --onlyvisible --name 'CRフォグランタン' | head -1) ||
            true
        [[ -n $wid ]] || { echo "the window did not appear"; exit 1; }
        shown() { grep -qs "\"game\":$show," "$work/window.jsonl"; }
        # Every frame of the game but its last: it must still be held.
        xdotool key --window "$wid" --delay 1 --repeat $((frames - 1)) period
        sleep 5
        if shown; then
            echo "game $show was over after $((frames - 1)) steps; it has $frames frames"
            kill "$pid"
            exit 1
        fi
        xdotool key --window "$wid" period
        for ((i = 0; i < 100; ++i)); do
            shown && break
            sleep 0.1
        done
        xdotool windowclose "$wid"
        set +e
        wait "$pid"
        status=$?
        set -e
        [[ $status -eq 0 ]] || { echo "exit code $status"; cat "$work/err.txt"; exit 1; }
        shown || { echo "game $show did not end after $frames steps"; exit 1; }
        same_trace "game $show stepped" "$work/window.jsonl" "$work/runner.jsonl"
        ;;
    *)
        echo "unknown mode $mode"
        exit 2
        ;;
esac
echo "ok: $mode"
