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
new_workdir
rc=0; "$exe" --width=2147483648 || rc=$?
[ "$rc" = 1 ] || fail "--width=2147483648 exited with $rc"
printf 'Option --width=2147483648 is out of range\nInvalid command line arguments\n' > expected
cmp -s expected err.txt || fail "an out-of-range number is not called so"

# Log files that cannot be created: what would go there reaches the terminal, said once.
new_workdir
mkdir log.txt err.txt
rc=0; "$exe" --help > out 2> err || rc=$?
[ "$rc" = 0 ] || fail "--help without log files exited with $rc"
head -n 1 out | grep -qx "Available command line options:" || fail "usage not on standard output"
printf 'Cannot write log.txt (Is a directory) and err.txt (Is a directory): messages stay on the terminal\n' > expected
cmp -s expected err || fail "unexpected standard error: $(cat err)"
rc=0; "$exe" --novr -w 0 > out 2> err || rc=$?
[ "$rc" = 1 ] || fail "a refused window without log files exited with $rc"
tail -n 1 err | grep -qx "Window creation failed" || fail "the fatal error did not reach the terminal"
echo PASS
