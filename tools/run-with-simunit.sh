#!/usr/bin/env bash
# Starts the simulated unit on a pseudo-terminal, then the program next to it. The unit is
# stopped when the program ends. Arguments after the build folder go to the program, followed by
# the run's settings file, which names the unit's port so that Connect reaches it.
# The settings file (simunit.orrery in the build folder) is written once; afterwards only its
# port line follows the unit's terminal, so what Orrery > Save Settings stored there stays.
# ORRERY_SIMUNIT_ARGS adds options for the unit (e.g. "--pin 0x400" for a third capacitor,
# "--gateway 0" or "--network-unit 0" for a gateway or a networked unit on loopback).
set -euo pipefail
build=$1; shift

log=$(mktemp)
settings="$build/simunit.orrery"
# shellcheck disable=SC2086
"$build/orrery-simunit" --auto-tune --load 15,-10 ${ORRERY_SIMUNIT_ARGS:-} >"$log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$log" "$settings.tmp"' EXIT

# The value after "<prefix>: " in the unit's output, once it is there.
wait_for_line() { # prefix
    local value=""
    for _ in $(seq 1 100); do
        value=$(sed -n "s/^$1: //p" "$log" | head -n 1)
        [ -n "$value" ] && break
        kill -0 $sim 2>/dev/null || { cat "$log" >&2; exit 1; }
        sleep 0.05
    done
    [ -n "$value" ] || { echo "the simulated unit did not start" >&2; exit 1; }
    echo "$value"
}

port=$(wait_for_line unit)
echo "Simulated unit answers on $port (address 2, 9600 baud; RF on, tuning itself in Auto mode)."
case " ${ORRERY_SIMUNIT_ARGS:-} " in
*" --gateway "*)
    gateway=$(wait_for_line gateway)
    echo "Gateway on ${gateway%% *} (ports ${gateway#* }: COM1 is this unit, COM2 a second one)."
    ;;
esac
case " ${ORRERY_SIMUNIT_ARGS:-} " in
*" --network-unit "*)
    echo "Networked unit on $(wait_for_line network-unit)."
    ;;
esac

if [ ! -f "$settings" ]; then
    printf '[Vantrel Orrery]\r\nComPort=%s\r\nConnMode=0\r\n[Settings]\r\nBaudRate=9600\r\nAddr=2\r\n' \
        "$port" >"$settings.tmp"
    mv "$settings.tmp" "$settings"
else
    # Only the port line of the program's section changes, and only when the terminal did.
    awk -v port="$port" '
        BEGIN { section = ""; seen = 0; done = 0 }
        {
            line = $0; sub(/\r$/, "", line)
            if (line ~ /^\[.*\]$/) {
                if (section == "vantrel orrery" && !done) { printf "ComPort=%s\r\n", port; done = 1 }
                section = tolower(substr(line, 2, length(line) - 2))
                if (section == "vantrel orrery") seen = 1
            } else if (section == "vantrel orrery" && tolower(line) ~ /^comport[ \t]*=/) {
                if (!done) printf "ComPort=%s\r\n", port
                done = 1
                next
            }
            print
        }
        END {
            if (!seen) printf "[Vantrel Orrery]\r\n"
            if (!done) printf "ComPort=%s\r\n", port
        }
    ' "$settings" >"$settings.tmp"
    if cmp -s "$settings" "$settings.tmp"; then
        rm -f "$settings.tmp"
    else
        mv "$settings.tmp" "$settings"
    fi
fi
echo "Press Connect beside the COM port box to poll it (settings file $settings)."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: the program runs under Xvfb."
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/orrery" "$@" "$settings"
else
    "$build/orrery" "$@" "$settings"
fi
