#!/bin/bash
# A run killed with SIGKILL cannot remove its temporary files: the statistics file's, written
# under a temporary name, and the spools of its trace. The next run that writes the same outputs
# removes them; the log spools stay, named for what they are, their first line no record; and
# the run log keeps only whole records.
# Usage: killed_run_test.sh RL00_HEADLESS
set -eu
runner="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
cd "$dir"
printf '[ログ書き込み先パス]\r\n%s\r\n[ログ書き込み先ファイル名]\r\nRL00.LOG\r\n' "$dir/log" >run.ini
fail() {
    echo "$1" >&2
    ls -la "$dir" "$dir/log" >&2 || true
    exit 1
}

# Every game a hit (7), so that each machine's spool of the log holds records too.
"$runner" --games 1000000 --machines 3 --jobs 3 --seed 5 --quiet --ini run.ini \
    --trace t.jsonl --stats s.json 7 2>/dev/null &
run=$!
# Killed once machines 1 and 2 have written into their spools, which it waits for, not a time.
until [ -s "t.jsonl.machine-1.$run.part" ] && [ -s "t.jsonl.machine-2.$run.part" ]; do
    kill -0 "$run" 2>/dev/null || fail "the run ended before it was killed"
    sleep 0.05
done
kill -9 "$run"
wait "$run" 2>/dev/null || true
ls s.json.tmp-* >/dev/null 2>&1 || fail "the killed run left no temporary statistics file"

"$runner" --games 50 --machines 3 --seed 6 --quiet --ini run.ini --trace t.jsonl \
    --stats s.json 2>/dev/null || fail "the next run failed"
left="$(ls -A | grep -E '^s\.json\.tmp-|^t\.jsonl\.machine-' || true)"
[ -z "$left" ] || fail "left behind after the next run: $left"
spools=0
for spool in log/RL00.LOG.machine-*.part; do
    [ -e "$spool" ] || continue
    spools=$((spools + 1))
    head -n 1 "$spool" | grep -q "^rl00-headless: run-log records of machine" ||
        fail "$spool does not say what it is"
done
[ "$spools" -eq 2 ] || fail "$spools log spools kept, not those of machines 1 and 2"
if LC_ALL=C grep -qvE $'^.{114}\r$' log/RL00.LOG; then
    fail "the run log holds a line that is not a whole record"
fi
echo "the next run removed the killed run's temporary files; $spools log spools kept"
