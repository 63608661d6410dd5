#!/usr/bin/env bash
# How often a correct machine is marked: plays RUNS independent seeded runs (seeds FIRST to
# FIRST + RUNS - 1) of GAMES games on each of MACHINES machines with the closed-form motions,
# keeps each run's statistics file in OUT/, and counts the runs in which any figure is marked
# ("outside": true), with the figures marked and how often.
#
#   tools/calibrate.sh RUNNER OUT RUNS GAMES [MACHINES] [FIRST]
#
# Each run plays its machines on one thread, JOBS runs at a time (environment, default 1: the
# machine is shared).
set -euo pipefail

if (($# < 4)); then
    sed -n '2,10s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"
    exit 2
fi
runner="$1" out="$2" runs="$3" games="$4" machines="${5:-1}" first="${6:-1}"
mkdir -p "$out"

seq "$first" $((first + runs - 1)) |
    xargs -P "${JOBS:-1}" -I{} nice "$runner" --games "$games" --machines "$machines" --jobs 1 --seed {} \
        --quiet --ini /dev/null --stats "$out/seed{}.json" 2>/dev/null

marked=$(grep -l '"outside": true' "$out"/seed*.json | wc -l || true)
echo "runs: $runs of $machines x $games games; runs with any mark: $marked"
grep -h '"outside": true' "$out"/seed*.json |
    sed -E 's/.*"(figure|name|code)": "([^"]*)".*/\2/' | sort | uniq -c | sort -rn || true
