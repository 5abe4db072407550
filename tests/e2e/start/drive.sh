#!/usr/bin/env bash
# A technician's session, driven with xdotool under Xvfb as a person would: log on
# in the logon window, press "Collega alla scheda" in the start window, give the
# board password, watch the lamps follow the board (checked on a screenshot), write
# a configuration with input 1 set to "Allarme", close the monitoring window and
# leave with "Uscita".
#
#   drive.sh BINDIR
set -euo pipefail
bin=$1
if [ -z "${PYLOX_IN_XVFB:-}" ]; then
    exec env PYLOX_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
source "$(dirname "$0")/session.sh"

# The colour of one pixel of a window picture, as #RRGGBB.
pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -n1
}

click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.3
}

start_board --tcp 0
run_program "-tcpip127.0.0.1:$board_tcp"

logon=$(wait_window '^Identificazione utente$')
focus "$logon"
xdotool type --delay 20 service
xdotool key Tab
xdotool type --delay 20 83tr05bn
xdotool key Return

start=$(wait_window '^PYLOX Service$')
click "$start" 184 60 # "Collega alla scheda", right of the product picture

prompt=$(wait_window '^Password$')
focus "$prompt"
xdotool type --delay 20 480917
xdotool key Return

monitor=$(wait_window '^PYLOX$')
[ "$(answered 23)" = 1 ] || fail "expected one login: $(board stats)"
board "status 0 1" >/dev/null # digital input 1
board "status 2 2" >/dev/null # output 2
board "status 12 4" >/dev/null # balanced input 1: cable cut
sleep 1.5 # a few refreshes of the lamps (every 300 ms)
import -window "$monitor" "$work/monitor.png"
# Lamp centres in the window: the input and output lamps at the right, the link
# lamp under the picture, the lamps of balanced input 1 at the top left.
check() {
    local colour
    colour=$(pixel "$work/monitor.png" "$2" "$3")
    [ "$colour" = "$4" ] || fail "$1 lamp is $colour, expected $4"
}
check "Input 1" 411 61 "#00FF00"
check "Input 2" 411 79 "#C0C0C0"
check "Out 1" 411 181 "#C0C0C0"
check "Out 2" 411 201 "#FF0000"
check "Link" 27 205 "#00FF00"
check "Taglio cavo 1" 163 103 "#FF0000"
check "Allarme 1" 163 63 "#C0C0C0"

click "$monitor" 436 236 # "Configurazione"
config=$(wait_window '^Configurazione$')
click "$config" 44 79 # input 1: "Allarme"
xdotool key Return
wait_until "the configuration written" test "$(answered 55)" = 1
configuration=$(board get config)
# Input 1 begins at byte 28: its type is 1, "Allarme".
[ "${configuration:$((7 + 56)):2}" = 01 ] || fail "input 1 not stored as Allarme: $configuration"

click "$monitor" 60 236 # "Exit"
start=$(wait_window '^PYLOX Service$')
click "$start" 124 228 # "Uscita"
wait_program_end
grep -q '"Comm Port"' "$XDG_CONFIG_HOME/Orvex/registry.reg" || fail "the PC settings were not saved"
echo "logged on, connected, lamps as the board says, configuration written, closed"
