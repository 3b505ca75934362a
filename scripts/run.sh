#!/usr/bin/env bash
# Installs what is missing, builds, starts the virtual reader on port 9 and
# drives it with the command line, so the readers can be seen answering
# without hardware. The virtual reader then keeps serving port 9 until
# Ctrl-C, for more commands from another terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

bin=build/bin
log=$bin/lettore-sim.log
: > "$log"
# Two readers on one line: address 1 at 9600 baud, address 5 at 19200.
"$bin/lettore-sim" --link "$bin/COM9" --reader 1 --reader 5:baud=19200 --log "$log" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
while [ ! -e "$bin/COM9" ]; do sleep 0.1; done

demo() {
    echo "\$ lettore $*"
    "$bin/lettore" "$@" || true
    echo
}
demo --port 9 --term 1 --trace GetVersioneFirmware
demo --port 9 --term 1 GetSetupBase
demo --port 9 --term 1 CreaBadge 0000000042
demo --port 9 --term 1 VerificaBadge 0000000042
demo --port 9 --term 5 --baud 19200 GetMatricolaPrima

echo "The virtual reader serves port 9 (log: $log). Try, from another terminal:"
echo "    $bin/lettore --port 9 --term 1 GetVersioneFirmware"
echo "    $bin/lettore --help"
echo "Ctrl-C stops it."
wait $sim
