#!/bin/sh
# One entry point for a fresh Debian 12 machine: installs what is missing, builds in Release,
# then either starts the desktop tour (--run) or runs the whole test suite (--test).
set -eu

mode=${1:---run}
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"

packages="cmake ninja-build g++ pkg-config git ca-certificates
  libglfw3-dev libepoxy-dev libstb-dev libimgui-dev
  libboost-dev libboost-date-time-dev libboost-iostreams-dev
  libopenal-dev libvorbis-dev libopenxr-dev libx11-dev libxss-dev libxrandr-dev
  libgl1-mesa-dri libglx-mesa0 libopenal1
  libglm-dev libgtest-dev libbenchmark-dev nlohmann-json3-dev libpugixml-dev"
test_packages="xvfb xauth x11-utils xdotool imagemagick glslang-tools dbus-daemon libdbus-1-3
  python3 python3-sgp4 python3-numpy python3-pil vorbis-tools"

[ "$mode" = --test ] && packages="$packages $test_packages"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi

jobs=$(nproc 2>/dev/null || echo 2)
# The test build is the strict one: a warning fails it, as CI runs it.
strict=OFF
[ "$mode" = --test ] && strict=ON
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORBITARIUM_WERROR=$strict
cmake --build "$build" -j "$jobs"

case "$mode" in
  --run)
    cd "$here"
    exec "$build/orbitarium" --novr
    ;;
  --test)
    xvfb=""
    if [ -z "${DISPLAY:-}" ]; then
      # Xvfb picks a free display and writes its number once it accepts connections.
      # Big enough for the virtual headset's 2160x1200 window.
      number_file=$(mktemp)
      Xvfb -displayfd 3 -screen 0 2400x1400x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
      xvfb=$!
      trap 'kill $xvfb 2>/dev/null || true; rm -f "$number_file"' EXIT INT TERM
      i=0
      until [ -s "$number_file" ]; do
        i=$((i + 1)); [ $i -gt 300 ] && { echo "Xvfb did not start" >&2; exit 1; }
        sleep 0.1
      done
      export DISPLAY=":$(head -n 1 "$number_file")"
    fi
    # No sound card in CI: OpenAL mixes into nothing unless a test asks for a wave file.
    export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
    cd "$build"
    ctest -j "$jobs" --output-on-failure
    ;;
  *)
    echo "usage: $0 --run | --test" >&2
    exit 2
    ;;
esac
