#!/bin/sh
# Headset mode without --novr: the virtual headset when no OpenXR runtime is installed, and the
# OpenXR path against our own test runtime.
set -eu
exe=$1
. "$(dirname "$0")/lib/common.sh"
manifest=$(cd "$(dirname "$exe")" && pwd)/tests/ovrlib/test_xr_runtime.json

# The virtual headset: its display's size whatever -w/-h say, the notice until the first key.
new_workdir
XR_RUNTIME_JSON=/nonexistent/runtime.json "$exe" --notour -w 640 -h 480 &
pid=$!
wid=$(wait_window Orbitarium 120) || fail "no window titled Orbitarium"
size=$(xwininfo -id "$wid" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$size" = 2160x1200 ] || fail "window is $size, expected the virtual headset's 2160x1200"
x0=$(xwininfo -id "$wid" | awk '/Absolute upper-left X:/{print $4}')
y0=$(xwininfo -id "$wid" | awk '/Absolute upper-left Y:/{print $4}')
# The middle of the left eye; the right eye lies beyond a 1280-pixel screen.
cx=$((x0 + 540)); cy=$((y0 + 600))
sleep 3
import -window root before.png
# The notice panel's colour (0.12, 0.16, 0.26), shown unfiltered at the display's own size.
is_notice() { [ $(( ($1 - 31) * ($1 - 31) + ($2 - 41) * ($2 - 41) + ($3 - 66) * ($3 - 66) )) -le 12 ]; }
set -- $(pixel before.png "$cx" "$cy")
is_notice "$@" || fail "no notice at the left eye's centre ($1 $2 $3)"
send_key "$wid" space
sleep 2
import -window root after.png
set -- $(pixel after.png "$cx" "$cy")
! is_notice "$@" || fail "the notice is still shown after a key ($1 $2 $3)"
send_key "$wid" Escape
wait_exit "$pid" 60
[ "$rc" = 0 ] || fail "exit code $rc after Escape"
[ ! -s err.txt ] || fail "err.txt is not empty"

# OpenXR: the test runtime's headset decides the window; frames reach its swapchains and the
# rendering resources go back while the GL context is current.
[ -f "$manifest" ] || fail "test runtime manifest $manifest not built"
new_workdir
XR_RUNTIME_JSON=$manifest TESTXR_REPORT=$work/report.txt "$exe" --notour &
pid=$!
wid=$(wait_window Orbitarium 120) || fail "no window titled Orbitarium (OpenXR)"
size=$(xwininfo -id "$wid" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$size" = 640x240 ] || fail "window is $size, expected the test headset's 640x240"
sleep 2
send_key "$wid" Escape
wait_exit "$pid" 60
[ "$rc" = 0 ] || fail "exit code $rc after Escape (OpenXR)"
[ -f report.txt ] || fail "the test runtime wrote no report"
value() { awk -v k="$1" '$1 == k {print $2}' report.txt; }
[ "$(value framesSubmitted)" -gt 10 ] || fail "only $(value framesSubmitted) frames reached the runtime"
for k in releasedWithoutContext callOrderErrors liveSessions liveSwapchains liveSpaces; do
  [ "$(value $k)" = 0 ] || fail "$k is $(value $k)"
done
[ ! -s err.txt ] || fail "err.txt is not empty (OpenXR)"
echo PASS
