#!/bin/sh
# The real executable reports option errors and help through its two log files.
set -eu
exe=$1
. "$(dirname "$0")/lib/common.sh"

new_workdir
rc=0; "$exe" --help --novr || rc=$?
[ "$rc" = 0 ] || fail "--help exited with $rc"
head -n 1 log.txt | grep -qx "Available command line options:" || fail "usage not in log.txt"
grep -q "^ --width, -w  Width of the window" log.txt || fail "width row missing"
[ ! -s err.txt ] || fail "err.txt not empty after --help"

new_workdir
rc=0; "$exe" --width=abc || rc=$?
[ "$rc" = 1 ] || fail "--width=abc exited with $rc"
printf 'Option --width=abc requires a numeric argument\nInvalid command line arguments\n' > expected
cmp -s expected err.txt || fail "unexpected err.txt"

new_workdir
rc=0; "$exe" --help -w || rc=$?
[ "$rc" = 1 ] || fail "--help -w exited with $rc"
printf 'Invalid command line arguments\n' > expected
cmp -s expected err.txt || fail "missing value must give only the final line"
[ ! -s log.txt ] || fail "no usage text when the line is invalid"
echo PASS
