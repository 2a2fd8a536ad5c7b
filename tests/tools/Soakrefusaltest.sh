#!/usr/bin/env bash
# The soak refuses a run it cannot make: an unknown link (alone or beside known ones) gives a
# reason and a failing exit, and no figures - no "rules broken: 0" for a run that did not run.
#   Soakrefusaltest.sh <orrery-soak>
set -euo pipefail
soak=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for links in all serial,bogus; do
    if "$soak" --links "$links" --transactions 10 >"$work/out" 2>"$work/err"; then
        fail "--links $links exited 0"
    fi
    grep -q "unknown link" "$work/err" || fail "--links $links does not say why: $(cat "$work/err")"
    [ ! -s "$work/out" ] || fail "--links $links printed figures: $(cat "$work/out")"
done
# A run that runs reports its figures.
"$soak" --links serial --transactions 20 --rate 0 >"$work/out" 2>"$work/err" || fail "a plain run failed: $(cat "$work/err")"
grep -q "^rules broken: 0 (goal: 0)$" "$work/out" || fail "a plain run's figures: $(cat "$work/out")"
echo "soak refusals: passed"
