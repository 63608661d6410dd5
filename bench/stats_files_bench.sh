#!/bin/sh
# Peak memory and time of rl00-headless merge and rl00 --report on large statistics files: the
# 10,000 shard files of a run, and the file of a run of 1,000,000 machines.
#
#   bench/stats_files_bench.sh WORK_DIR BUILD_DIR [BUILD_DIR...]
#
# The files are made once in WORK_DIR with the first build's bench/rl00_stats_sample; each build's
# app/rl00-headless and app/rl00 are then measured on the same files (a build of another commit
# measures that commit). Needs GNU time.
set -eu
[ $# -ge 2 ] || { echo "usage: $0 WORK_DIR BUILD_DIR [BUILD_DIR...]" >&2; exit 2; }
work=$1
shift
mkdir -p "$work/shards"
if [ ! -f "$work/shards/shard-9999.json" ]; then
    "$1/bench/rl00_stats_sample" shards "$work/shards" 10000
fi
if [ ! -f "$work/million.json" ]; then
    "$1/bench/rl00_stats_sample" machines "$work/million.json" 1000000
fi

# Runs a command under GNU time: "seconds  peak MB", or the failure.
measure() {
    if /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/err"; then
        awk '{ printf "%8.2f s %8.1f MB\n", $1, $2 / 1024 }' "$work/time"
    else
        echo "failed: $(head -n 1 "$work/err")"
    fi
}

printf '%-40s %-28s %s\n' build case "time, peak memory"
for build in "$@"; do
    set -- "$work"/shards/shard-*.json
    printf '%-40s %-28s %s\n' "$build" "merge 10,000 shards" \
        "$(measure "$build/app/rl00-headless" merge --quiet --stats "$work/merged.json" "$@")"
    printf '%-40s %-28s %s\n' "$build" "merge 10^6 machines" \
        "$(measure "$build/app/rl00-headless" merge --quiet --stats "$work/merged.json" \
            "$work/million.json")"
    rm -rf "$work/report"
    printf '%-40s %-28s %s\n' "$build" "--report 10^6 machines" \
        "$(measure "$build/app/rl00" --report "$work/million.json" "$work/report")"
done
