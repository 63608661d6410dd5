#!/usr/bin/env bash
# Drives the window program as a user would leave it: it must start playing by itself and end
# with exit code 0 when 終了 is pressed. Usage: play_test.sh RL00_BINARY MODE
#   offscreen     argument "7" on Qt's offscreen platform: three logged hits, then 終了
#   xvfb          the same on a bare X server without a window manager
#   end-mid-game  終了 pressed in the middle of the first game: exit 0, no record
#   no-ini        no RL00.INI beside the program: it writes the user's default one and logs
#                 into the user's data folder
set -euo pipefail
binary="$1"
mode="$2"

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
        timeout 240 xvfb-run -a "$work/rl00" --no-delay "$@"
    else
        QT_QPA_PLATFORM=offscreen timeout 240 "$work/rl00" --no-delay "$@"
    fi
    status=$?
    set -e
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
    *)
        echo "unknown mode $mode"
        exit 2
        ;;
esac
echo "ok: $mode"
