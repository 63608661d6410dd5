#!/usr/bin/env bash
# Drives the window program as a user would leave it: it must start playing by itself and end
# with exit code 0 when 終了 is pressed. Usage: play_test.sh RL00_BINARY MODE
#   offscreen     argument "7" on Qt's offscreen platform: three logged hits, then 終了
#   xvfb          the same on a bare X server without a window manager
#   end-mid-game  終了 pressed in the middle of the first game: exit 0, no record
#   no-ini        no RL00.INI beside the program: it writes the user's default one and logs
#                 into the user's data folder
#   file-limit    the log at the file-size limit: the failed write is reported, play goes on
#   menu-click    on an X server: the right-click menu closed with Escape and 終了 clicked while
#                 the program holds its events (as in a presentation's pause): exit 0
#   destroyed     on an X server: the window destroyed from outside ends the program, exit 0
set -euo pipefail
binary="$1"
mode="$2"

# The X modes drive the program with xdotool on an X server of their own.
if [[ ($mode == menu-click || $mode == destroyed) && ${3:-} != on-x ]]; then
    exec "$(dirname "$0")/../../support/on_xvfb.sh" "$0" "$binary" "$mode" on-x
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The program reads RL00.INI from its own folder, so it runs from a copy in a folder of its own.
cp "$binary" "$work/rl00"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

write_ini() {
    printf '%s\r\n' "[ログ書き込み先パス]" "\"$work/log\"" "[ログ書き込み先ファイル名]" "RL00LOG.TXT" \
        "[待機時間]" "10000" "[スクロールスピード]" "100" "[EXCELパス]" "\"$work\"" \
        "[EXCEL01]" "ATARI.ods" | iconv -f UTF-8 -t CP932 >"$work/RL00.INI"
}

run() {
    set +e
    if [[ "$mode" == xvfb ]]; then
        QT_QPA_PLATFORM=xcb timeout 240 "$(dirname "$0")/../../support/on_xvfb.sh" \
            "$work/rl00" --no-delay "$@"
    else
        QT_QPA_PLATFORM=offscreen timeout 240 "$work/rl00" --no-delay "$@"
    fi
    status=$?
    set -e
}

# Starts the program at zoom 1 on this X server (whatever platform the caller's environment
# names), in the background, and waits for its window.
start_on_x() {
    QT_QPA_PLATFORM=xcb "$work/rl00" --zoom 1 "$@" >"$work/out.txt" 2>&1 &
    pid=$!
    wid=$(timeout 60 xdotool search --sync --onlyvisible --name 'CRフォグランタン' | head -1) || true
    [[ -n $wid ]] || { echo "the window did not appear"; exit 1; }
}

# Waits up to $1 seconds for the program started by start_on_x to end; "running" if it did not.
wait_end() {
    local i
    for ((i = 0; i < $1 * 10; ++i)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        wait "$pid" || true
        status=running
    else
        set +e
        wait "$pid"
        status=$?
        set -e
    fi
}

log="$work/log/RL00LOG.TXT"
case "$mode" in
    offscreen | xvfb)
        write_ini
        run --end-after-games 3 7
        [[ $status -eq 0 ]] || { echo "exit code $status, expected 0"; exit 1; }
        lines=$(wc -l <"$log")
        [[ $lines -eq 3 ]] || { echo "$lines log records, expected 3"; exit 1; }
        # 114 characters and CR LF per record
        [[ $(wc -c <"$log") -eq $((3 * 116)) ]] || { echo "records of the wrong length"; exit 1; }
        ;;
    end-mid-game)
        write_ini
        run --end-after-ms 1600 7
        [[ $status -eq 0 ]] || { echo "exit code $status, expected 0"; exit 1; }
        [[ ! -s "$log" ]] || { echo "a record was written for a game that did not end"; exit 1; }
        ;;
    no-ini)
        run --end-after-games 2 7
        [[ $status -eq 0 ]] || { echo "exit code $status, expected 0"; exit 1; }
        [[ -f "$work/config/rl00/RL00.INI" ]] || { echo "no default settings written"; exit 1; }
        lines=$(wc -l <"$work/data/rl00/log/RL00LOG.TXT")
        [[ $lines -eq 2 ]] || { echo "$lines records in the user's log, expected 2"; exit 1; }
        [[ -z "$(ls -A "$work" | grep -v -e '^rl00$' -e '^config$' -e '^data$' -e '^runtime$')" ]] ||
            { echo "files appeared beside the program: $(ls "$work")"; exit 1; }
        ;;
    file-limit)
        write_ini
        mkdir -p "$work/log"
        head -c 1024 /dev/zero | tr '\0' x >"$log"
        set +e
        (
            ulimit -f 1 # 1024 bytes: the log is full
            QT_QPA_PLATFORM=offscreen XDG_CACHE_HOME="$work/cache" exec timeout 240 \
                "$work/rl00" --no-delay --end-after-games 2 7
        ) 2>"$work/err.txt"
        status=$?
        set -e
        [[ $status -eq 0 ]] || { echo "exit code $status, expected 0"; exit 1; }
        grep -q "RL00LOG.TXT" "$work/err.txt" || { echo "no report of the failed write"; exit 1; }
        [[ $(wc -c <"$log") -eq 1024 ]] || { echo "the full log changed"; exit 1; }
        ;;
    menu-click)
        write_ini
        start_on_x 7
        sleep 2
        xdotool mousemove --window "$wid" 200 120 click 3
        for ((i = 0; i < 50; ++i)); do # until the menu is on the screen
            (($(xdotool search --onlyvisible --pid "$pid" | wc -l) > 1)) && break
            sleep 0.1
        done
        (($(xdotool search --onlyvisible --pid "$pid" | wc -l) > 1)) || { echo "no menu"; exit 1; }
        # Stopped, the program handles no event, as during a presentation's pause of 600 ms;
        # the X server still routes the pointer to the menu then.
        kill -STOP "$pid"
        xdotool key Escape
        xdotool mousemove --window "$wid" 320 196 click 1 # 終了
        sleep 0.2
        kill -CONT "$pid"
        wait_end 20
        [[ $status == 0 ]] || { echo "after 終了: $status, expected exit code 0"; exit 1; }
        ;;
    destroyed)
        write_ini
        start_on_x 7
        sleep 2
        xdotool windowclose "$wid"
        wait_end 20
        [[ $status == 0 ]] || { echo "with its window destroyed: $status, expected exit 0"; exit 1; }
        ;;
    *)
        echo "unknown mode $mode"
        exit 2
        ;;
esac
echo "ok: $mode"
