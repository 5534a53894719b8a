#!/bin/sh
# Headset mode without --novr: the OpenXR path against our own test runtime, and the virtual
# headset when no OpenXR runtime is installed (skipped, exit 77, on a screen too small for it).
set -eu
exe=$1
. "$(dirname "$0")/lib/common.sh"
# A failed check must not leave the program running: the next test finds windows by title.
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true' EXIT
manifest=$(cd "$(dirname "$exe")" && pwd)/tests/ovrlib/test_xr_runtime.json

# llvmpipe takes several hundred milliseconds a frame here: every check polls with a deadline.
shot() { import -window "$wid" "$1"; }
# The notice panel's colour (0.12, 0.16, 0.26), shown unfiltered at the display's own size.
is_notice() { [ $(( ($1 - 31) * ($1 - 31) + ($2 - 41) * ($2 - 41) + ($3 - 66) * ($3 - 66) )) -le 12 ]; }
# Whether the notice covers the centre of both eyes (yes), of neither (no), or of one (mixed).
notice() {
  n=0
  for cx in 540 1620; do
    is_notice $(pixel "$1" "$cx" 600) && n=$((n + 1))
  done
  case $n in 2) echo yes ;; 0) echo no ;; *) echo mixed ;; esac
}
# "x y area" of the largest lit patch in one eye ($2: 0 left, 1 right): the day side of the
# globe. Lines up to about 20 pixels thick (orbits, the belt of geostationary satellites,
# stars) are opened away, then the pieces of the day side (land and sea differ in brightness)
# closed into one; at half size for speed.
globe() {
  convert "$1" -crop 1080x1200+$(($2 * 1080))+0 +repage -scale 50% -colorspace gray \
    -threshold 12% -morphology Open Disk:5 -morphology Close Disk:12 \
    -define connected-components:verbose=true -connected-components 8 null: |
    awk '$NF == "gray(255)" && $4 > best {best = $4; c = $3}
         END {split(c, p, ","); printf "%d %d %d\n", 2 * p[1], 2 * p[2], 4 * best}'
}
abs() { [ "$1" -lt 0 ] && echo $((-$1)) || echo "$1"; }
# Polls until "$@" succeeds, up to $deadline seconds from now.
poll() {
  limit=$(( $(date +%s) + deadline ))
  until "$@"; do
    [ "$(date +%s)" -gt "$limit" ] && return 1
    sleep 0.5
  done
}

# OpenXR: the test runtime's headset decides the window; frames reach its swapchains; after 20
# frames the runtime asks the program to exit (STOPPING, then EXITING), and it ends by itself
# with 0, the rendering resources given back while the GL context is current.
[ -f "$manifest" ] || fail "test runtime manifest $manifest not built"
new_workdir
XR_RUNTIME_JSON=$manifest TESTXR_REPORT=$work/report.txt TESTXR_EXIT_AFTER=20 "$exe" --notour &
pid=$!
wid=$(wait_window Orbitarium 120) || fail "no window titled Orbitarium (OpenXR)"
size=$(xwininfo -id "$wid" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$size" = 640x240 ] || fail "window is $size, expected the test headset's 640x240"
value() { awk -v k="$1" '$1 == k {print $2}' report.txt 2>/dev/null; }
wait_exit "$pid" 300
pid=""
[ "$rc" = 0 ] || fail "exit code $rc after the runtime asked to exit (OpenXR)"
[ -f report.txt ] || fail "the test runtime wrote no report"
[ "$(value framesSubmitted)" = 20 ] || fail "$(value framesSubmitted) frames reached the runtime, not 20"
for k in releasedWithoutContext callOrderErrors liveSessions liveSwapchains liveSpaces; do
  [ "$(value $k)" = 0 ] || fail "$k is $(value $k)"
done
[ ! -s err.txt ] || fail "err.txt is not empty (OpenXR)"

# No headset and no --vr-preview: the desktop window at the size asked for, and one line saying so.
new_workdir
XR_RUNTIME_JSON=/nonexistent/runtime.json "$exe" --notour -w 640 -h 480 &
pid=$!
wid=$(wait_window Orbitarium 120) || fail "no window titled Orbitarium (no headset)"
size=$(xwininfo -id "$wid" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$size" = 640x480 ] || fail "window is $size without a headset, expected the desktop's 640x480"
send_key "$wid" Escape
wait_exit "$pid" 60
pid=""
grep -q "^No headset found: running in a desktop window" log.txt || fail "log.txt does not say there is no headset"
# The runtime named cannot be loaded: the loader's reason, as one line.
printf 'OpenXR: failed to open /nonexistent/runtime.json.  Does it exist?\n' > expected
cmp -s expected err.txt || fail "err.txt is not the loader's one line"

# --vr-preview: the virtual headset with the real scene: its display's size whatever -w/-h say, both eyes
# showing the globe from their own places, the notice until the first key, the head turned by
# a mouse drag and recentred by R, the picture letterboxed in a resized window. The whole
# 2160x1200 window must lie on the screen.
screen=$(xdpyinfo | awk '/dimensions:/{print $2}')
if [ "${screen%x*}" -lt 2160 ] || [ "${screen#*x}" -lt 1200 ]; then
  echo "SKIP (virtual headset): the screen is $screen; its window needs 2160x1200 (tools/setup.sh starts Xvfb at 2400x1400)"
  exit 77
fi
new_workdir
XR_RUNTIME_JSON=/nonexistent/runtime.json "$exe" --vr-preview --notour -w 640 -h 480 &
pid=$!
wid=$(wait_window Orbitarium 120) || fail "no window titled Orbitarium"
size=$(xwininfo -id "$wid" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$size" = 2160x1200 ] || fail "window is $size, expected the virtual headset's 2160x1200"

notice_is() { shot n.png; [ "$(notice n.png)" = "$1" ]; }
deadline=120; poll notice_is yes || fail "no notice over both eyes ($(notice n.png))"
send_key "$wid" space
deadline=60; poll notice_is no || fail "the notice is still shown after a key ($(notice n.png))"

# Pause the clock so that the globe holds still, then wait for two equal frames.
send_key "$wid" p
settled() {
  shot s.png
  now=$(globe s.png 0)
  [ "$now" = "${last:-}" ] && return 0
  last=$now
  return 1
}
last=""; deadline=60; poll settled || fail "the picture does not settle while paused"
set -- $(globe s.png 0) $(globe s.png 1)
lx=$1 ly=$2 la=$3 rx=$4 ry=$5 ra=$6
echo "globe: left eye at $lx,$ly ($la px), right eye at $rx,$ry ($ra px)"
[ "$la" -gt 2000 ] && [ "$ra" -gt 2000 ] || fail "no globe in one of the eyes ($la, $ra lit pixels)"
# The same globe: much the same height and size in both eyes (the lens bends each a little
# differently, as the globe lies off the left lens's centre); sideways the eyes differ by their
# mirrored lenses and their own viewpoints.
[ "$(abs $((ly - ry)))" -le 16 ] || fail "the globe is at height $ly in the left eye, $ry in the right"
[ $((la * 10)) -le $((ra * 16)) ] && [ $((ra * 10)) -le $((la * 16)) ] ||
  fail "the globe's lit size differs too much between the eyes ($la, $ra)"
[ "$(abs $((lx - rx)))" -le 300 ] || fail "the globe is at x $lx in the left eye, $rx in the right"
convert s.png -crop 1080x1200+0+0 +repage left.png
convert s.png -crop 1080x1200+1080+0 +repage right.png
differ=$(compare -metric AE -fuzz 10% left.png right.png null: 2>&1 || true)
[ "${differ%.*}" -gt 20000 ] || fail "the eyes show the same picture ($differ pixels differ)"

# Drag right: the head turns right and the globe moves left in both eyes.
xdotool mousemove --window "$wid" 1080 600 mousedown 1
sleep 2
xdotool mousemove --window "$wid" 1140 600
turned() { shot t.png; set -- $(globe t.png 0); [ $((lx - $1)) -ge 40 ]; }
deadline=60; poll turned || { xdotool mouseup 1; fail "a mouse drag did not turn the head ($(globe t.png 0))"; }
xdotool mouseup 1
set -- $(globe t.png 0)
echo "turned: left eye's globe at $1,$2"
# R makes the current heading straight ahead: the globe comes back.
send_key "$wid" r
recentred() { shot r.png; set -- $(globe r.png 0); [ "$(abs $((lx - $1)))" -le 4 ] && [ "$(abs $((ly - $2)))" -le 4 ]; }
deadline=60; poll recentred || fail "recentring did not bring the globe back ($(globe r.png 0), was $lx $ly)"

# A wide window keeps the eyes' shape: black bars left and right, the picture between them.
xdotool windowsize "$wid" 1400 500
boxed() { shot b.png; [ "$(bright b.png 240x500+0+0 3)" = 0 ] && [ "$(bright b.png 240x500+1160+0 3)" = 0 ] && [ "$(bright b.png 900x500+250+0 30)" -gt 500 ]; }
deadline=60; poll boxed || fail "the resized window is not letterboxed"

send_key "$wid" Escape
wait_exit "$pid" 60
pid=""
[ "$rc" = 0 ] || fail "exit code $rc after Escape"
[ ! -s err.txt ] || fail "err.txt is not empty"

echo PASS
