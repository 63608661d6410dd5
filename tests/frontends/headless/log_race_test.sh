#!/bin/bash
# Two runners append to one run log at the same time, one of them under a file size limit small
# enough that its writes come out short or fail once the log has grown past it. Whatever the
# interleaving, every line of the log must be a whole 114-character record with CR LF: a short
# write is cut back under the log's lock, and a machine's spool goes in whole or not at all.
# Usage: log_race_test.sh RL00_HEADLESS [FIRST_ROUND LAST_ROUND]
# Each round cuts at another size with one or two machines: any 18 rounds in a row meet each of
# the 9 sizes with each machine count once. An optimised build plays rounds 1 to 60, more than
# three times through, for other interleavings, as three tests that ctest runs side by side; a
# slow build (sanitizers) plays rounds 1 to 18.
set -eu
runner="$1"
first="${2:-1}"
last="${3:-18}"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
printf '[ログ書き込み先パス]\r\n%s\r\n[ログ書き込み先ファイル名]\r\nRL00.LOG\r\n' "$dir/log" \
    >"$dir/log.ini"

short_rounds=0
for round in $(seq "$first" "$last"); do
    rm -rf "$dir/log"
    limit_kib=$((16 + round % 9))
    machines=$((1 + round % 2)) # every other round through the spools of two machines
    "$runner" --games 400 --seed "$round" --ini "$dir/log.ini" --quiet 7 2>/dev/null &
    free=$!
    (
        ulimit -f "$limit_kib"
        exec "$runner" --games 400 --seed "$((round + 1000))" --machines "$machines" \
            --ini "$dir/log.ini" --quiet 7
    ) 2>"$dir/limited.err" &
    limited=$!
    wait "$free"
    wait "$limited" || true # its run log fails; that is not an exit code
    log="$dir/log/RL00.LOG"
    size=$(stat -c %s "$log")
    if [ $((size % 116)) -ne 0 ] || LC_ALL=C grep -qvE $'^.{114}\r$' "$log"; then
        echo "round $round: the log holds a line that is not a whole record" >&2
        LC_ALL=C grep -nvE $'^.{114}\r$' "$log" | head -3 >&2
        exit 1
    fi
    if grep -q "could be written" "$dir/limited.err"; then short_rounds=$((short_rounds + 1)); fi
done
# The limit must really have cut writes short in some rounds, or the test proved nothing.
if [ "$short_rounds" -eq 0 ]; then
    echo "no round had a short write" >&2
    exit 1
fi
echo "rounds $first to $last, $short_rounds with a short write: every line a whole record"
