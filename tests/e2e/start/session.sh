# Shared steps of the end-to-end runs (sourced): a private settings folder, the board
# emulator as a co-process steered on its standard input, the program, and window
# lookups with xdotool. Needs bin (the folder of the built programs).
work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"
program_pid=""
board_pid=""

cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$board_pid" ] && kill "$board_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*" >&2
    [ -f "$work/program.err" ] && sed 's/^/program: /' "$work/program.err" >&2
    exit 1
}

# Starts the emulator; sets board_tcp, board_udp from its listener lines.
start_board() {
    coproc BOARD { "$bin/pylox-board" --state "$work/board.state" "$@" 2>"$work/board.err"; }
    board_pid=$BOARD_PID
    board_tcp="" board_udp=""
    local line
    while read -r -t 10 line <&"${BOARD[0]}"; do
        case "$line" in
        "tcp "*) board_tcp=${line#tcp } ;;
        "udp "*) board_udp=${line#udp } ;;
        ready) return 0 ;;
        esac
    done
    fail "the board did not come up: $(cat "$work/board.err")"
}

# One control command; prints its reply line.
board() {
    echo "$*" >&"${BOARD[1]}"
    local reply
    read -r -t 10 reply <&"${BOARD[0]}" || fail "no reply to $*"
    echo "$reply"
}

# Requests of one command (two hexadecimal digits) the board has answered.
answered() {
    local stats
    stats=$(board stats)
    local count=${stats#* $1=}
    [ "$count" = "$stats" ] && echo 0 || echo "${count%% *}"
}

status_requests_above() { [ "$(answered 40)" -gt "$1" ]; }

wait_until() {
    local what=$1
    shift
    for _ in $(seq 200); do
        "$@" && return 0
        sleep 0.1
    done
    fail "timed out waiting for $what"
}

run_program() {
    QT_QPA_PLATFORM=xcb "$bin/pylox-service" "$@" 2>"$work/program.err" &
    program_pid=$!
}

# Waits for the visible window whose title matches; prints its id.
wait_window() {
    local id=""
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$program_pid" 2>/dev/null || fail "the program ended before \"$1\" showed"
        sleep 0.1
    done
    fail "no window \"$1\""
}

# There is no window manager: the keyboard goes where it is sent, as after a click.
focus() {
    xdotool windowfocus --sync "$1"
    sleep 0.2
}

# Waits up to 20 s for the program to end; fails on a non-zero exit.
wait_program_end() {
    for _ in $(seq 200); do
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$program_pid" 2>/dev/null && fail "the program did not end"
    local status=0
    wait "$program_pid" || status=$?
    program_pid=""
    [ "$status" -eq 0 ] || fail "the program exited with $status"
}
