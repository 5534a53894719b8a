#!/bin/sh
# The desktop's heads-up display over the tour and free exploration: subtitles while the
# narration plays, the status line, F1's help with the colour legend (also in exploration),
# and the search: "/" opens it, typed keys stay in the field, Escape closes it without
# quitting, Enter leaves the tour and rides the chosen satellite with its panel in a corner.
set -eu
exe=$1
. "$(dirname "$0")/lib/common.sh"

status=330x28+0+0
subtitle=640x60+0+420
help=600x440+20+20
search=420x120+110+36
corner=230x200+410+0
legend() {  # pixels of the least present of the four class colours in the help's place
  least=100000
  for c in "srgb(112,209,107)" "srgb(255,191,87)" "srgb(107,166,222)" "srgb(199,33,56)"; do
    n=$(convert "$1" -crop $help +repage -fuzz 10% -fill black +opaque "$c" -fill white -opaque "$c" \
        -format "%[fx:round(mean*w*h)]" info:)
    [ "$n" -lt "$least" ] && least=$n
  done
  echo "$least"
}
shown() { shoot now.png; "$@"; }

new_workdir
start_program --novr -w 640 -h 480
send_key "$wid" space
subtitled() { [ "$(bright now.png $subtitle 80)" -gt 300 ]; }
wait_for 40 "a subtitle" shown subtitled || fail "no subtitle while the narration plays"
cp now.png subtitle.png
echo "subtitle: $(bright subtitle.png $subtitle 80) text pixels"
# The status line's text is dim (over 50 %, under 80 %) and its clock runs.
[ "$(bright now.png $status 50)" -gt 150 ] || fail "no status line"
[ "$(bright now.png $status 80)" -lt 20 ] || fail "the status line is not dim"
sleep 1.2
shoot later.png
moved=$(compare -metric AE -crop $status now.png later.png null: 2>&1 | cut -d' ' -f1)
[ "$moved" -gt 20 ] || fail "the status line's clock stands still ($moved pixels changed)"

send_key "$wid" F1
help_open() { [ "$(legend now.png)" -gt 50 ]; }
help_closed() { [ "$(legend now.png)" -lt 10 ]; }
wait_for 5 "the help" shown help_open || fail "F1 shows no colour legend ($(legend now.png))"
cp now.png help.png
echo "help: $(legend help.png) pixels of the rarest legend colour, $(bright help.png $help 80) text pixels"
send_key "$wid" F1
wait_for 5 "the help to go" shown help_closed || fail "F1 again leaves the help"

search_open() { [ "$(bright now.png $search 80)" -gt 300 ]; }
search_closed() { [ "$(bright now.png $search 80)" -lt 100 ]; }
send_key "$wid" slash
xdotool type --delay 150 thuraya
wait_for 5 "the search field" shown search_open || fail "no search field with matches"
cp now.png search.png
echo "search: $(bright search.png $search 80) text pixels"
help_closed || fail "a typed h opened the help"
send_key "$wid" Escape
wait_for 5 "the search to close" shown search_closed || fail "Escape leaves the search field"
kill -0 "$pid" || fail "Escape in the search field quit the program"

send_key "$wid" slash
xdotool type --delay 150 thuraya
send_key "$wid" Down
send_key "$wid" Return
sleep 1.5
shoot left.png
[ "$(bright left.png $subtitle 80)" -lt 100 ] || fail "the narration goes on after leaving the tour"
riding() { [ "$(bright now.png $corner 80)" -gt 400 ]; }
wait_for 40 "the ridden satellite's panel" shown riding || fail "no panel in the upper right corner"
cp now.png ride.png
echo "ride: $(bright ride.png $corner 80) text pixels in the corner"
send_key "$wid" h
wait_for 5 "the help in exploration" shown help_open || fail "H shows no help in exploration"
send_key "$wid" Escape
wait_for 5 "Escape to close the help" shown help_closed || fail "Escape leaves the help"
kill -0 "$pid" || fail "Escape over the help quit the program"

quit_and_check
echo PASS
