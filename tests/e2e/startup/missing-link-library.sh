#!/usr/bin/env bash
# Without its link library the program shows one error box naming the file,
# opens no other window, and ends with a non-zero exit code once the box is closed.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy of the program alone in a folder: no link library next to it.
cp "$program" "$work/pylox-service"
export XDG_CONFIG_HOME="$work/config"

xvfb-run -a -s "-screen 0 1024x768x24" bash -s "$work" <<'SCRIPT'
set -euo pipefail
work=$1
QT_QPA_PLATFORM=xcb "$work/pylox-service" 2>"$work/stderr" &
pid=$!
box=""
for _ in $(seq 150); do
    box=$(xdotool search --onlyvisible --name '^pylox-service$' 2>/dev/null | head -n1 || true)
    [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || { echo "no error box appeared"; kill "$pid"; exit 1; }
windows=$(xdotool search --onlyvisible --name '.' 2>/dev/null | wc -l)
[ "$windows" -eq 1 ] || { echo "expected the error box alone, found $windows windows"; kill "$pid"; exit 1; }
xdotool windowfocus --sync "$box"
xdotool key Return
status=0
wait "$pid" || status=$?
[ "$status" -ne 0 ] || { echo "program exited with 0"; exit 1; }
grep -qx 'pylox-service: libOrvexLink.so not found!' "$work/stderr" ||
    { echo "unexpected message:"; cat "$work/stderr"; exit 1; }
echo "error box shown, exit code $status"
SCRIPT
