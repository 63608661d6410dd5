#!/bin/sh
# The signature of a seeded run: the SHA-256 of the trace of 100,000 games with seed 1 must be
# the committed one. Any change to the order or use of the random draws, to the game cycle or to
# the trace changes it; such a change must be deliberate, with the new signature named in its
# commit. Usage: signature_test.sh RL00_HEADLESS SIGNATURE_FILE
set -eu
runner="$1"
expected="$(cut -d' ' -f1 "$2")"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
: >"$dir/RL00.INI"  # no settings: the run writes no log
"$runner" --games 100000 --seed 1 --ini "$dir/RL00.INI" --quiet --trace "$dir/trace.jsonl"
actual="$(sha256sum "$dir/trace.jsonl" | cut -d' ' -f1)"
if [ "$actual" != "$expected" ]; then
    echo "the seeded run's signature changed: $actual, committed $expected" >&2
    exit 1
fi
echo "signature $actual"
