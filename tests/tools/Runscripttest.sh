#!/usr/bin/env bash
# The run command's script against the real simulated unit and a stand-in program that only
# records the settings file it is given: the file lives in the build folder, is written once,
# keeps what was saved into it and follows the unit's terminal in its port line only; a gateway
# and a networked unit asked for are announced with their addresses.
#   Runscripttest.sh <run-with-simunit.sh> <orrery-simunit>
set -euo pipefail
script=$1
simunit=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build="$work/build"
mkdir "$build"
ln -s "$simunit" "$build/orrery-simunit"
# The stand-in program: copies the file it was given (its last argument) and its path.
cat >"$build/orrery" <<'EOF'
#!/usr/bin/env bash
for last in "$@"; do :; done
printf '%s\n' "$last" >"$(dirname "$0")/given-path"
cp "$last" "$(dirname "$0")/given-settings"
EOF
chmod +x "$build/orrery"

fail() { echo "FAIL: $*" >&2; exit 1; }
run() { DISPLAY=:test "$script" "$build" "$@" >"$work/out" 2>&1 || { cat "$work/out" >&2; fail "the script failed"; }; }
port_of() { sed -n 's/^ComPort=\(.*\)\r$/\1/p' "$1"; }

run
settings="$build/simunit.orrery"
[ -f "$settings" ] || fail "no settings file in the build folder"
[ "$(cat "$build/given-path")" = "$settings" ] || fail "the program was given $(cat "$build/given-path")"
first_port=$(port_of "$settings")
grep -q "answers on $first_port " "$work/out" || fail "the unit's terminal is not printed"
printf '[Vantrel Orrery]\r\nComPort=%s\r\nConnMode=0\r\n[Settings]\r\nBaudRate=9600\r\nAddr=2\r\n' \
    "$first_port" | cmp -s - "$settings" || fail "first settings file: $(cat -A "$settings")"

# What Save Settings wrote, with a terminal of an earlier run: only the port line changes.
printf '[Vantrel Orrery]\r\nConnMode=0\r\nComPort=/dev/pts/gone\r\nComPortList=/dev/pts/gone\r\n[Settings]\r\nComPort=kept\r\nReadTimer=750\r\n' \
    >"$settings"
run
port=$(port_of "$settings" | head -n 1)
[ -n "$port" ] && [ "$port" != /dev/pts/gone ] || fail "the port line was not updated: $(cat -A "$settings")"
printf '[Vantrel Orrery]\r\nConnMode=0\r\nComPort=%s\r\nComPortList=/dev/pts/gone\r\n[Settings]\r\nComPort=kept\r\nReadTimer=750\r\n' \
    "$port" | cmp -s - "$settings" || fail "saved settings changed: $(cat -A "$settings")"
cmp -s "$settings" "$build/given-settings" || fail "the program saw another file"

# A terminal that did not change leaves the file as it is, not even written again.
touch -d '2001-01-01' "$settings"
before=$(stat -c %Y "$settings")
ORRERY_SIMUNIT_ARGS="--gateway 0 --network-unit 0" run
grep -q "Gateway on 127\.0\.0\.1:[0-9][0-9]* (ports COM1,COM2" "$work/out" || fail "no gateway address: $(cat "$work/out")"
grep -q "Networked unit on 127\.0\.0\.1:[0-9][0-9]*\." "$work/out" || fail "no networked unit address: $(cat "$work/out")"
now_port=$(port_of "$settings" | head -n 1)
if [ "$now_port" = "$port" ]; then
    [ "$(stat -c %Y "$settings")" = "$before" ] || fail "an unchanged file was written again"
fi
echo "run script: settings kept, port followed, addresses printed"
