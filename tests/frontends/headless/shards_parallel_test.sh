#!/bin/sh
# Four shards of one run, played as a batch system plays the tasks of an array job (GNU parallel,
# four tasks at once, each told its task number), then merged: the merged statistics are byte for
# byte those of one run of all the machines, and the shards' traces and run logs laid one after
# the other in shard order are that run's trace and log.
# Usage: shards_parallel_test.sh RL00_HEADLESS
set -eu
runner="$1"
if ! command -v parallel >/dev/null 2>&1; then
    echo "GNU parallel is not installed (scripts/run and scripts/test install it)"
    exit 77
fi
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

# A configuration naming a log folder of its own for the whole run and for each shard.
for name in whole 0 1 2 3; do
    printf '[ログ書き込み先パス]\r\n%s\r\n[ログ書き込み先ファイル名]\r\nRL00.LOG\r\n' \
        "$dir/log-$name" >"$dir/$name.ini"
done
run="--games 1500 --seed 11 --machines 10 --quiet"

"$runner" $run --jobs 2 --ini "$dir/whole.ini" --stats "$dir/whole.json" --trace "$dir/whole.jsonl"
parallel --will-cite --jobs 4 --halt now,fail=1 \
    "$runner" $run --jobs 1 --shard {}/4 --ini "$dir/{}.ini" \
    --stats "$dir/shard{}.json" --trace "$dir/shard{}.jsonl" ::: 0 1 2 3
"$runner" merge "$dir/shard3.json" "$dir/shard1.json" "$dir/shard0.json" "$dir/shard2.json" \
    --stats "$dir/merged.json" --quiet

cmp "$dir/whole.json" "$dir/merged.json"
cat "$dir/shard0.jsonl" "$dir/shard1.jsonl" "$dir/shard2.jsonl" "$dir/shard3.jsonl" |
    cmp - "$dir/whole.jsonl"
# Log records carry the wall clock's date and time in columns 97-114; the rest must agree.
for name in 0 1 2 3; do cat "$dir/log-$name/RL00.LOG"; done | cut -c1-96 >"$dir/shards.log"
cut -c1-96 "$dir/log-whole/RL00.LOG" >"$dir/whole.log"
test -s "$dir/whole.log"
cmp "$dir/shards.log" "$dir/whole.log"
echo "four shards under GNU parallel, merged: the whole run's statistics, trace and log"
