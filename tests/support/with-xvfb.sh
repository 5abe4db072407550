#!/usr/bin/env bash
# Runs a command on an X server of its own (1024x768, 24 bits) and stops the server
# after it. Xvfb picks a free display itself (-displayfd), so that end-to-end tests
# started side by side never race for one, as xvfb-run -a can.
#   with-xvfb.sh COMMAND [ARGUMENTS...]
set -uo pipefail
log=$(mktemp)
coproc XVFB { exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>"$log"; }
xvfb_pid=$XVFB_PID
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -f "$log"' EXIT
if ! read -r -t 20 display <&"${XVFB[0]}"; then
    echo "Xvfb did not start: $(cat "$log")" >&2
    exit 1
fi
export DISPLAY=":$display"
"$@"
