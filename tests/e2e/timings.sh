#!/bin/sh
# ORBITARIUM_TIMINGS=1 adds the start-up and frame stage tables to log.txt (bench/README.md).
set -eu
exe=$1
. "$(dirname "$0")/lib/common.sh"

new_workdir
export ORBITARIUM_TIMINGS=1
start_program --novr --notour -w 640 -h 480
send_key "$wid" space
tables() { grep -q "^startup:" log.txt && grep -q "^frame " log.txt; }
wait_for 90 "the timing tables" tables || fail "no timing tables in log.txt"
line=$(grep "^startup:" log.txt)
echo "$line" | grep -Eq '^startup: first frame [0-9]+\.[0-9]{3} s, catalogue [0-9.]+, splash [0-9.]+, stars [0-9.]+, globe [0-9.]+, satellites [0-9.]+, panels [0-9.]+, script [0-9.]+, other -?[0-9.]+$' \
  || fail "malformed start-up line: $line"
first=$(echo "$line" | sed 's/^startup: first frame \([0-9.]*\) s.*/\1/')
awk -v t="$first" 'BEGIN { exit !(t > 0 && t < 60) }' || fail "first frame at $first s"
grep "^frame " log.txt | grep -Eq 'propagate [0-9.]+, .*satellites [0-9.]+, .*total [0-9.]+$' \
  || fail "malformed frame line: $(grep '^frame ' log.txt)"
[ "$(grep -c '^startup:' log.txt)" = 1 ] && [ "$(grep -c '^frame ' log.txt)" = 1 ] || fail "tables printed more than once"
cat log.txt
quit_and_check
echo PASS
