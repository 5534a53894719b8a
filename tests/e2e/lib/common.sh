# Shared helpers for the end-to-end scripts: each runs the real executable under the display
# in a fresh working directory and reads what it wrote.

fail() { echo "FAIL: $*" >&2; [ -n "${work:-}" ] && { echo "--- log.txt"; cat "$work/log.txt"; echo "--- err.txt"; cat "$work/err.txt"; } >&2 2>/dev/null; exit 1; }

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
