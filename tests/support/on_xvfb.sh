#!/usr/bin/env bash
# Runs a command on an X server of its own. Xvfb chooses a free display number itself and tells
# it (-displayfd), so any number of tests may start one at the same time; xvfb-run -a guesses
# the number from lock files and can lose that race to a test starting beside it.
# Usage: on_xvfb.sh COMMAND [ARGUMENTS...]; DISPLAY is set for the command. RL00_XVFB_SCREEN
# gives another screen than 1280x1024x24.
set -euo pipefail
dir="$(mktemp -d)"
Xvfb -displayfd 3 -screen 0 "${RL00_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
# The number is written once the server takes connections; the loop only guards against a
# server that never starts.
for ((i = 0; i < 1200; ++i)); do
    [[ -s $dir/display ]] && break
    kill -0 "$xvfb" 2>/dev/null || { cat "$dir/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
[[ -s $dir/display ]] || { echo "Xvfb told no display within 60 s" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$dir/display")"
set +e
"$@"
status=$?
exit "$status"
