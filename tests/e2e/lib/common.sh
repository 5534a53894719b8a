# Shared helpers for the end-to-end scripts: each runs the real executable under the display
# in a fresh working directory and reads what it wrote.

fail() { echo "FAIL: $*" >&2; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; [ -n "${work:-}" ] && { echo "--- log.txt"; cat "$work/log.txt"; echo "--- err.txt"; cat "$work/err.txt"; } >&2 2>/dev/null; exit 1; }

new_workdir() {
  work=$(mktemp -d)
  cd "$work"
}

# Prints the id of the first visible window titled $1, waiting up to $2 seconds.
wait_window() {
  deadline=$(( $(date +%s) + $2 ))
  while [ "$(date +%s)" -le "$deadline" ]; do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  return 1
}

# Waits up to $2 seconds for process $1 (a child of this shell) to exit and sets $rc to its
# exit code, or to "timeout" after killing it.
wait_exit() {
  deadline=$(( $(date +%s) + $2 ))
  while kill -0 "$1" 2>/dev/null; do
    if [ "$(date +%s)" -gt "$deadline" ]; then kill "$1" 2>/dev/null; rc=timeout; return 0; fi
    sleep 0.2
  done
  rc=0
  wait "$1" || rc=$?
}

# Sends a key to the window by focusing it first (there is no window manager under Xvfb).
send_key() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  xdotool key --delay 100 "$2"
}

# Prints "r g b" of the pixel at ($2, $3) of the screenshot file $1.
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}

# Starts the executable in the background with its sound going to "out.wav" in the working
# directory (OpenAL Soft's wave writer), waits for its window and for the first drawn picture.
# Sets $pid and $wid. Arguments go to the program.
start_program() {
  printf '[wave]\nfile = %s/out.wav\n' "$work" > alsoft.conf
  ALSOFT_DRIVERS=wave ALSOFT_CONF="$work/alsoft.conf" "$exe" "$@" &
  pid=$!
  wid=$(wait_window Orbitarium 120) || fail "no window titled Orbitarium"
  # Keys sent before the scene exists are lost, so wait until something is drawn.
  wait_for 120 "a first picture" drawn || fail "nothing drawn in the window"
}

# Takes a screenshot of the program's window into $1.
shoot() {
  import -window "$wid" "$1" 2>/dev/null || fail "screenshot of window $wid failed"
}

# Polls "$@" (a command) until it succeeds, for at most $1 seconds; $2 names it for messages.
# The screenshot the last try took stays in now.png.
wait_for() {
  limit=$1; what=$2; shift 2
  deadline=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -le "$deadline" ]; do
    kill -0 "$pid" 2>/dev/null || fail "program ended while waiting for $what"
    if "$@"; then return 0; fi
    sleep 0.3
  done
  echo "timed out after ${limit}s waiting for $what" >&2
  return 1
}

# Pixels of screenshot $1 in region $2 (WxH+X+Y) brighter than $3 percent in every channel:
# text and the lit globe. (Built-in operators only: -fx is far too slow for whole pictures.)
bright() {
  convert "$1" -crop "$2" +repage -separate -evaluate-sequence Min -threshold "$3%" \
    -format "%[fx:round(mean*w*h)]" info:
}

# Strongly coloured pixels of $1 in region $2: chroma (max - min channel) over 25 percent,
# as in the satellites' class colours, never in the grey stars or the dark sky.
coloured() {
  convert "$1" -crop "$2" +repage -colorspace HCL -channel G -separate +channel \
    -threshold 25% -format "%[fx:round(mean*w*h)]" info:
}

drawn() {
  shoot now.png
  [ "$(bright now.png 100%x100%+0+0 30)" -gt 200 ]
}

# Sends Escape and checks the exit code, err.txt and the recorded sound.
quit_and_check() {
  send_key "$wid" Escape
  wait_exit "$pid" 60
  [ "$rc" = 0 ] || fail "exit code $rc after Escape"
  [ ! -s err.txt ] || fail "err.txt is not empty"
  ! grep -q "Audio error" log.txt || fail "sound failures in log.txt"
  [ -s out.wav ] || fail "no wave file written"
  # Silence is all zero bytes whatever the sample format; the music must leave far fewer.
  total=$(wc -c < out.wav)
  [ "$total" -gt 200000 ] || fail "wave file has only $total bytes"
  nonzero=$(tail -c +4097 out.wav | tr -d '\000' | wc -c)
  [ "$nonzero" -gt $(( total / 4 )) ] || fail "wave file is nearly silent ($nonzero of $total bytes non-zero)"
}

# Pixels of $1 within $3 (a fuzz such as 12%) of the colour $2 (e.g. "srgb(112,209,107)").
near_colour() {
  convert "$1" -fuzz "$3" -fill black +opaque "$2" -fill white -opaque "$2" \
    -format "%[fx:round(mean*w*h)]" info:
}
