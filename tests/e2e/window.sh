#!/bin/sh
# The desktop window: size, title, cleared picture, Escape ends with 0; refused sizes fail.
set -eu
exe=$1
. "$(dirname "$0")/lib/common.sh"

new_workdir
"$exe" --novr --notour -w 640 -h 480 &
pid=$!
wid=$(wait_window Orbitarium 120) || fail "no window titled Orbitarium"
size=$(xwininfo -id "$wid" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$size" = 640x480 ] || fail "window is $size, expected 640x480"
sleep 2
import -window "$wid" shot.png
set -- $(pixel shot.png 2 2)
# The corner shows the dark clear colour (or the dark sky), never a light or empty picture.
[ "$1" -lt 80 ] && [ "$2" -lt 80 ] && [ "$3" -lt 80 ] || fail "corner pixel $1 $2 $3 is not dark"
send_key "$wid" Escape
wait_exit "$pid" 60
[ "$rc" = 0 ] || fail "exit code $rc after Escape"
[ ! -s err.txt ] || fail "err.txt is not empty"

# Sizes no window can have are refused cleanly: no crash, no X error, no wrapped size.
for size in "-5 480" "2147483647 2147483647" "65536 100" "40000 40000" "100000 500"; do
  new_workdir
  rc=0
  "$exe" --novr -w ${size% *} -h ${size#* } || rc=$?
  [ "$rc" = 1 ] || fail "size $size exited with $rc"
  printf 'Window creation failed\n' > expected
  cmp -s expected err.txt || fail "size $size: err.txt is not just 'Window creation failed'"
done
echo PASS
