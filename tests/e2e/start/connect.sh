#!/usr/bin/env bash
# The real pylox-service started as a user starts it, against the real pylox-board,
# under Xvfb: one connection kind per run, with -connect, so that the program ends
# when the monitoring window is closed.
#
#   connect.sh BINDIR CASE
#
# CASE: tcpip (host:port), tcpip-default-port (a host alone, port 3000, in a network
# namespace of its own so that the port is free), bfudp, bftcp, serial (a
# pseudo-terminal as COM1), modem (the emulated modem on a pseudo-terminal as COM1,
# the number typed into the input box), failed-logon (the program ends and the
# board hears nothing).
set -euo pipefail
bin=$1
case=$2

if [ "$case" = tcpip-default-port ] && [ -z "${PYLOX_IN_NAMESPACE:-}" ]; then
    if ! unshare -rn true 2>/dev/null; then
        echo "no network namespace available"
        exit 77
    fi
    exec env PYLOX_IN_NAMESPACE=1 unshare -rn bash -c 'ip link set lo up && exec bash "$0" "$@"' \
        "$0" "$@"
fi
if [ -z "${PYLOX_IN_XVFB:-}" ]; then
    exec env PYLOX_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

source "$(dirname "$0")/session.sh"

credentials=(-usrorvex -pwrfenla:47 -brdpsw480917)
case "$case" in
tcpip)
    start_board --tcp 0
    run_program "${credentials[@]}" -connect "-tcpip127.0.0.1:$board_tcp" ;;
tcpip-default-port)
    start_board --tcp 3000
    [ "$board_tcp" = 3000 ] || fail "board not on port 3000"
    run_program "${credentials[@]}" -connect -tcpip127.0.0.1 ;;
bfudp)
    start_board --udp 0
    run_program "${credentials[@]}" -connect "-bfudp127.255.255.255:$board_udp" ;;
bftcp)
    start_board --tcp 0
    run_program "${credentials[@]}" -connect "-bftcp127.0.0.1:$board_tcp" ;;
serial)
    start_board --pty --pty-link "$XDG_CONFIG_HOME/Orvex/dosdevices/com1"
    run_program "${credentials[@]}" -connect ;;
modem)
    start_board --modem --pty-link "$XDG_CONFIG_HOME/Orvex/dosdevices/com1"
    run_program "${credentials[@]}" -connect -online
    box=$(wait_window '^Numero Telefonico$')
    focus "$box"
    xdotool type --delay 20 "0212345"
    xdotool key Return ;;
failed-logon)
    start_board --tcp 0
    run_program -usrorvex -pwrFENLA:47 -brdpsw480917 -connect "-tcpip127.0.0.1:$board_tcp"
    wait_program_end
    [ "$(board stats)" = stats ] || fail "the board heard requests: $(board stats)"
    echo "failed logon: ended, the board heard nothing"
    exit 0 ;;
*)
    fail "unknown case $case" ;;
esac

monitor=$(wait_window '^PYLOX$')
# Polling: the board answers status requests one after the other.
wait_until "status requests" status_requests_above 3
[ "$(answered 23)" = 1 ] || fail "expected one login, board stats: $(board stats)"
focus "$monitor"
xdotool key alt+e
wait_program_end
echo "$case: connected, polled, ended with the monitoring window"
