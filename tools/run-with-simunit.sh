#!/usr/bin/env bash
# Starts the simulated unit on a pseudo-terminal, then the program next to it. The unit is
# stopped when the program ends. Arguments after the build folder go to the program, followed by
# a temporary settings file that names the unit's port, so that Connect reaches it.
# ORRERY_SIMUNIT_ARGS adds options for the unit (e.g. "--pin 0x400" for a third capacitor).
set -euo pipefail
build=$1; shift

log=$(mktemp)
settings_dir=$(mktemp -d)
settings="$settings_dir/simunit.orrery"
# shellcheck disable=SC2086
"$build/orrery-simunit" --auto-tune --load 15,-10 ${ORRERY_SIMUNIT_ARGS:-} >"$log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$log"; rm -rf "$settings_dir"' EXIT

port=""
for _ in $(seq 1 100); do
    port=$(sed -n 's/^unit: //p' "$log" | head -n 1)
    [ -n "$port" ] && break
    kill -0 $sim 2>/dev/null || { cat "$log" >&2; exit 1; }
    sleep 0.05
done
[ -n "$port" ] || { echo "the simulated unit did not start" >&2; exit 1; }
echo "Simulated unit answers on $port (address 2, 9600 baud; RF on, tuning itself in Auto mode)."
printf '[Vantrel Orrery]\r\nComPort=%s\r\nConnMode=0\r\n[Settings]\r\nBaudRate=9600\r\nAddr=2\r\n' \
    "$port" >"$settings"
echo "Press Connect beside the COM port box to poll it (settings file $settings)."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: the program runs under Xvfb."
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/orrery" "$@" "$settings"
else
    "$build/orrery" "$@" "$settings"
fi
