#!/usr/bin/env bash
# Builds the .deb, checks its layout and dependencies, unpacks it into a scratch
# root and starts the installed programs from there: the tool must find its link
# library and catalogues in the installed layout and show its start window.
set -euo pipefail
build=$1
work=$(mktemp -d)
board_pid=""
cleanup() {
    [ -n "$board_pid" ] && kill "$board_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/package/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
    grep -q "$library" <<<"$depends" || { echo "missing dependency on $library"; exit 1; }
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
for file in usr/bin/pylox-service usr/bin/pylox-board usr/share/applications/pylox-service.desktop \
    usr/share/icons/hicolor/scalable/apps/pylox-service.svg usr/share/man/man1/pylox-service.1.gz \
    usr/share/man/man1/pylox-board.1.gz usr/share/pylox-service/locale/en/LC_MESSAGES/default.mo \
    usr/share/pylox-service/locale/de/LC_MESSAGES/quil.mo; do
    [ -e "$root/$file" ] || { echo "missing $file"; exit 1; }
done
library=$(find "$root/usr/lib" -name libOrvexLink.so)
[ -n "$library" ] || { echo "missing libOrvexLink.so"; exit 1; }
if find "$root" -path '*test*' | grep -q .; then
    echo "test files in the package:"; find "$root" -path '*test*'; exit 1
fi

"$root/usr/bin/pylox-service" --version | grep -qx "pylox-service 1.0.4.1"
"$root/usr/bin/pylox-board" --help | grep -q -- "--tcp PORT"

# The installed program against the installed emulator, under a real X server.
export XDG_CONFIG_HOME="$work/config"
coproc BOARD { exec "$root/usr/bin/pylox-board" --tcp 0 --no-stdin; }
board_pid=$BOARD_PID
port=""
while read -r -t 10 line <&"${BOARD[0]}"; do
    case $line in tcp\ *) port=${line#tcp } ;; ready) break ;; esac
done
[ -n "$port" ] || { echo "the emulator did not start"; exit 1; }

xvfb-run -a -s "-screen 0 1024x768x24" bash -s "$root" "$port" "$work" <<'SCRIPT'
set -euo pipefail
root=$1 port=$2 work=$3
# The third default user of a fresh installation logs on from the command line.
QT_QPA_PLATFORM=xcb LANG=C "$root/usr/bin/pylox-service" -usrorvex -pwrfenla:47 \
    "-tcpip127.0.0.1:$port" 2>"$work/stderr" &
pid=$!
window=""
for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --name '^PYLOX Service$' 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ -n "$window" ] || { echo "no start window"; cat "$work/stderr"; exit 1; }
echo "start window shown by the installed program"
SCRIPT
