#!/bin/sh
# --notour: the second splash, then free exploration with the class colours; holding the
# continue key while looking at a satellite labels it, releasing it opens its panel.
set -eu
exe=$1
. "$(dirname "$0")/lib/common.sh"

title=300x40+170+40
splash_shown() { shoot now.png; [ "$(bright now.png $title 80)" -gt 800 ]; }
splash_gone() { shoot now.png; [ "$(bright now.png $title 80)" -lt 100 ]; }

new_workdir
# The pointer off the window: over a satellite it would add a name label of its own.
xdotool mousemove 2000 1000
start_program --novr --notour -w 640 -h 480
wait_for 60 "the second splash" splash_shown || fail "no splash title at start"
send_key "$wid" space
wait_for 20 "the splash to go" splash_gone || fail "splash still shown after the continue key"

# Every class in its own colour: low green, medium orange, geosynchronous blue, elliptical red.
classes_shown() {
  shoot now.png
  for c in "srgb(112,209,107)" "srgb(255,191,87)" "srgb(107,166,222)" "srgb(199,33,56)"; do
    [ "$(near_colour now.png "$c" 12%)" -gt 100 ] || return 1
  done
}
wait_for 20 "the class colours" classes_shown || fail "not every orbit class shows in its colour"
[ "$(bright now.png 200x200+220+140 20)" -gt 500 ] || fail "no lit globe in the middle"

# Tilt the view: from 30 degrees up the line of sight crosses no geosynchronous satellite.
xdotool keydown Up; sleep 2; xdotool keyup Up
# "[" lowers the rate by 250 simulated seconds per second: nearly stop the clock, so that a
# panel stays where its satellite was picked instead of racing off with it.
xdotool keydown bracketleft; sleep 3.8; xdotool keyup bracketleft

# The label's and the panel's title bar, in the overlay's title colour; their text is white.
title_bar() { near_colour "$1" "srgb(41,74,122)" 1%; }
text() { bright "$1" 100%x100%+0+0 80; }

# The pick takes the satellite nearest to the line of sight, which is as likely behind the
# globe (hidden with its label) as in front of it; each try looks along another line.
found=""
for try in 1 2 3 4 5 6 7 8 9 10; do
  xdotool keydown space
  sleep 2
  shoot held.png
  xdotool keyup space
  if [ "$(title_bar held.png)" -gt 500 ] || [ "$(text held.png)" -gt 150 ]; then
    found=$try
    break
  fi
  # Nothing to see: drop the selection and turn the view a little.
  sleep 0.5
  send_key "$wid" Delete
  xdotool keydown Left; sleep 0.8; xdotool keyup Left
done
[ -n "$found" ] || fail "no satellite label in ten looks"
label_text=$(text held.png)
echo "label at try $found: $(title_bar held.png) title-bar pixels, $label_text text pixels"

# Released: the name label becomes the full panel, many lines of white text.
panel_open() { shoot now.png; [ "$(text now.png)" -gt $(( 2 * label_text + 300 )) ]; }
wait_for 10 "the information panel" panel_open || fail "no information panel after releasing the key ($(text now.png) text pixels)"
cp now.png panel.png
echo "panel: $(text panel.png) text pixels"
# The skip key clears the selection: the panel goes.
send_key "$wid" Delete
panel_closed() { shoot now.png; [ "$(text now.png)" -lt 100 ]; }
wait_for 10 "the panel to close" panel_closed || fail "panel stays after the skip key"

quit_and_check
echo PASS
