#!/bin/sh
# Desktop habits with the mouse and keys alone: a left drag turns the globe, the wheel zooms,
# F12 writes the picture to a PNG file of the window's size, P pauses.
set -eu
exe=$1
. "$(dirname "$0")/lib/common.sh"

new_workdir
start_program --novr --notour -w 640 -h 480
send_key "$wid" space
# The lit globe's extent, in pixels of the middle of the window, while paused.
send_key "$wid" p
globe() { shoot "$1"; bright "$1" 400x400+120+40 20; }
settled() { a=$(globe a.png); sleep 0.5; b=$(globe b.png); [ "$a" = "$b" ]; }
wait_for 30 "a still picture" settled || fail "the picture does not settle while paused"
send_key "$wid" p
before=$(globe before.png)

# Wheel towards the user (button 5): farther away, so the globe shrinks.
xdotool mousemove --window "$wid" 320 240
for i in 1 2 3 4; do xdotool click --window "$wid" 5; sleep 0.2; done
smaller() { [ "$(globe now.png)" -lt $((before * 8 / 10)) ]; }
wait_for 20 "the globe to shrink" smaller || fail "the wheel did not zoom out ($before -> $(globe now.png) lit pixels)"

# Drag far to the right: the camera turns round the globe, so the picture changes a lot.
shoot turned0.png
xdotool mousemove --window "$wid" 200 240 mousedown 1
sleep 0.5
xdotool mousemove --window "$wid" 420 240
sleep 0.5
xdotool mousemove --window "$wid" 600 240 mouseup 1
turned() { shoot now.png; d=$(compare -metric AE -fuzz 15% turned0.png now.png null: 2>&1 || true); [ "${d%.*}" -gt 20000 ]; }
wait_for 20 "the view to turn" turned || fail "a drag did not turn the view"

# F12: a PNG of the window's size in the working directory, and one line in log.txt.
send_key "$wid" F12
written() { ls orbitarium-*.png >/dev/null 2>&1; }
wait_for 20 "the screenshot file" written || fail "no orbitarium-*.png after F12"
file=$(ls orbitarium-*.png | head -n 1)
echo "$file" | grep -Eq '^orbitarium-[0-9]{8}-[0-9]{6}\.png$' || fail "screenshot named $file"
[ "$(identify -format '%wx%h' "$file")" = 640x480 ] || fail "screenshot is $(identify -format '%wx%h' "$file")"
[ "$(bright "$file" 400x400+120+40 20)" -gt 500 ] || fail "the screenshot shows no globe"
grep -q "^Screenshot written to $file" log.txt || fail "log.txt does not name the screenshot"

# Ride the lowest satellite shown (Sputnik 1, perigee about 210 km), found by the search: its
# panel sits in the top right corner, and the view never goes black (the limb and the sky stay
# in it, and the near plane never cuts the globe open).
send_key "$wid" slash
xdotool type --delay 80 "sputnik 1"
send_key "$wid" Return
corner=230x200+405+5
pinned() { shoot now.png; [ "$(bright now.png $corner 80)" -gt 300 ]; }
wait_for 90 "the ride's panel in the corner" pinned || fail "no panel in the top right corner while riding"
for i in 1 2 3 4 5; do
  shoot ride.png
  mean=$(convert ride.png -colorspace Gray -format "%[fx:round(mean*1000)]" info:)
  [ "$mean" -gt 5 ] || fail "the ride's view is black (mean brightness $mean / 1000)"
  sleep 1
done
echo "ride: mean brightness $mean / 1000, $(bright ride.png $corner 80) panel text pixels"

quit_and_check
echo PASS
