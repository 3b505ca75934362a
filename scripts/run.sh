#!/usr/bin/env bash
# Installs what is missing, builds the programs, and starts the console on
# a virtual reader line, so the console can be seen answering without
# hardware. The console runs from a demo folder of its own (build/demo),
# with its own Seriale.cfg and a COM9 link to the virtual line: the
# settings of a console used on real lines are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --programs lettore-console lettore-sim lettore

bin=$PWD/build/bin
demo=$PWD/build/demo
mkdir -p "$demo"
cp "$bin/lettore-console" "$bin/LetturaOk.wav" "$demo/"
cp "$bin/lettore" "$demo/"
# Port 9, 9600 baud, reader 1.
printf ' 9 \r\n9600\r\n 1 \r\n' > "$demo/Seriale.cfg"
log=$demo/lettore-sim.log
: > "$log"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo
    echo "No display here (DISPLAY is not set), so the console window cannot open."
    echo "Showing the command line on the virtual reader instead."
    echo
    "$bin/lettore-sim" --link "$demo/COM9" --reader 1 --reader 5:baud=19200 --log "$log" >/dev/null &
    sim=$!
    trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
    while [ ! -e "$demo/COM9" ]; do sleep 0.1; done
    demo_cmd() {
        echo "\$ lettore $*"
        "$demo/lettore" "$@" || true
        echo
    }
    demo_cmd --term 1 --trace GetVersioneFirmware
    demo_cmd --term 1 GetSetupBase
    demo_cmd --term 1 CreaBadge 0000000042
    demo_cmd --term 1 VerificaBadge 0000000042
    demo_cmd --term 5 --baud 19200 GetMatricolaPrima
    echo "Run it on a machine with a display to see the console window."
    exit 0
fi

echo "Starting the virtual reader line: reader 1 at 9600 baud, reader 5 at 19200 (log: $log)."
# The virtual reader reads its commands from this terminal.
coproc_fifo=$(mktemp -u)
mkfifo "$coproc_fifo"
"$bin/lettore-sim" --link "$demo/COM9" --reader 1 --reader 5:baud=19200 --log "$log" \
    < "$coproc_fifo" >/dev/null &
sim=$!
exec 3>"$coproc_fifo"
rm -f "$coproc_fifo"
trap 'kill $sim $console 2>/dev/null; wait 2>/dev/null' EXIT
while [ ! -e "$demo/COM9" ]; do sleep 0.1; done

echo "Starting the console (port 9, terminal 001) from $demo."
(cd "$demo" && exec ./lettore-console) &
console=$!
cat <<'TEXT'

The console is open. Commands for the virtual reader can be typed here, e.g.:
    present 1 0000012345     hold a badge to reader 1
    multimaster on           readers send their readings on their own
                             (select "Multimaster" in the console to see them)
    fault 1 silent           reader 1 stops answering ("fault 1 none" to mend)
Closing the console window ends the demo.
TEXT
# Forward typed lines to the virtual reader until the console closes.
while kill -0 $console 2>/dev/null; do
    if IFS= read -r -t 0.5 line; then
        printf '%s\n' "$line" >&3
    elif [ $? -le 128 ]; then
        break  # end of input
    fi
done
wait $console 2>/dev/null || true
