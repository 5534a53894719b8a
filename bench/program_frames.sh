#!/bin/sh
# Times the real program from outside with the preloaded frame probe (frame_probe.c): seconds
# from process start to the first frame, then frames per second of free exploration with every
# satellite shown, in a 1280x720 desktop window. Needs a display (DISPLAY) and the probe built
# (ninja -C build orbitarium_frame_probe).
#   sh bench/program_frames.sh EXECUTABLE [FRAMES] [--callgrind]
# With --callgrind the measured frames run under valgrind's callgrind and their instruction
# count is printed (slow: keep FRAMES small; start-up runs uninstrumented). The window size
# comes from ORBITARIUM_PROBE_WIDTH and ORBITARIUM_PROBE_HEIGHT (default 1280 x 720).
# ORBITARIUM_PROBE_HEADSET=1 runs headset mode instead (the virtual headset when no runtime is
# installed: two 1080x1200 eyes, one 2160x1200 window; --vr-preview for executables that offer
# it, which without a runtime open the desktop window by default). With ORBITARIUM_TIMINGS=1 the
# program's per-stage frame line from log.txt is printed too.
set -eu
exe=$(readlink -f "$1")
width=${ORBITARIUM_PROBE_WIDTH:-1280}
height=${ORBITARIUM_PROBE_HEIGHT:-720}
frames=${2:-100}
mode=--novr
if [ "${ORBITARIUM_PROBE_HEADSET:-0}" = 1 ]; then
  mode=
  help=$(mktemp -d)
  # The usage goes to log.txt (or the terminal when that cannot be written).
  (cd "$help" && "$exe" --help >out.txt 2>&1; cat out.txt log.txt 2>/dev/null | grep -q -- --vr-preview) &&
    mode=--vr-preview
  rm -rf "$help"
fi
probe=$(readlink -f "$(dirname "$0")/../build/bench/liborbitarium_frame_probe.so")
[ -f "$probe" ] || { echo "build the probe first: ninja -C build orbitarium_frame_probe" >&2; exit 1; }
work=$(mktemp -d)
cd "$work"
export ALSOFT_DRIVERS=null ORBITARIUM_PROBE_OUT="$work/probe.txt" ORBITARIUM_PROBE_FRAMES="$frames"
# Space at frame 5 leaves the wait for input; 30 frames later the free camera shows everything.
export ORBITARIUM_PROBE_PRESS=${ORBITARIUM_PROBE_PRESS:-5} ORBITARIUM_PROBE_WARMUP=${ORBITARIUM_PROBE_WARMUP:-30}
if [ "${3:-}" = --callgrind ]; then
  # llvmpipe rasterises on the calling thread: one thread, the same count every run.
  # valgrind hands LD_PRELOAD on to the program it runs.
  LP_NUM_THREADS=0 LD_PRELOAD="$probe" valgrind --tool=callgrind --instr-atstart=no \
    --smc-check=all-non-file --callgrind-out-file="$work/callgrind.%p" \
    "$exe" $mode --notour -w "$width" -h "$height" >/dev/null 2>"$work/valgrind.txt"
  cat probe.txt
  # The probe dumps the measured frames as their own part; its total is the figure.
  for f in "$work"/callgrind.*; do
    grep -q "measured frames" "$f" && awk '/^summary:/{print "instructions", $2}' "$f"
  done
else
  LD_PRELOAD="$probe" "$exe" $mode --notour -w "$width" -h "$height"
  cat probe.txt
  grep '^frame' log.txt 2>/dev/null || true
fi
[ ! -s err.txt ] || { echo "err.txt:"; cat err.txt; }
rm -rf "$work"
