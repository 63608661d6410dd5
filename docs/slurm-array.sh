#!/bin/bash
# rl00-headless on Slurm: one run of 64 machines, 1,000,000 games each, as a job array of 8
# shards. Slurm gives every task its index in SLURM_ARRAY_TASK_ID; task K plays shard K/S with S
# the number of tasks, so the array must run from 0 (--array=0-7 for 8 shards). Not run here:
# see docs/cluster.md.
#
#   jid=$(sbatch --parsable docs/slurm-array.sh)
#   sbatch --dependency=afterok:"$jid" --wrap \
#       'rl00-headless merge results/shard-*.json --stats results/run.json'
#
#SBATCH --job-name=rl00-shards
#SBATCH --array=0-7
#SBATCH --cpus-per-task=2
#SBATCH --mem=256M
#SBATCH --output=rl00-shard-%a.out
set -eu
if [ "${SLURM_ARRAY_TASK_MIN:-0}" -ne 0 ]; then
    echo "the array must start at 0: --array=0-N" >&2
    exit 2
fi
shards=$((SLURM_ARRAY_TASK_MAX + 1))
results="${RESULTS:-$SLURM_SUBMIT_DIR/results}"
mkdir -p "$results"
exec rl00-headless --games 1000000 --machines 64 --seed 1 \
    --jobs "${SLURM_CPUS_PER_TASK:-1}" --shard "$SLURM_ARRAY_TASK_ID/$shards" \
    --ini /dev/null --quiet --stats "$results/shard-$SLURM_ARRAY_TASK_ID.json"
