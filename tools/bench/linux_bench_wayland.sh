#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The saver probe on a private headless sway with no X server (not pass/fail):
# start-up to the first pale pixel, memory held and key to end of
# `pelmic /S` (the key typed on the probe's own virtual keyboard), on Wayland
# natively and, where Xwayland is installed, through XWayland on the same
# compositor (SDL's X11 back end), with the Xwayland server's own memory; then
# idle turns, the pause they make and the per-site loop on Wayland.
# tools/bench/linux_bench.sh gives the figures on Xvfb. With PELMIC_BASELINE
# naming another build's pelmic, the probe's runs alternate between the two.
# sway refuses to run as root: as root it runs as nobody.
# Usage: [PELMIC_BASELINE=old/pelmic] tools/bench/linux_bench_wayland.sh [build dir, default build/release]
#        [WxH, default 1920x1080] [runs]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD=${1:-$ROOT/build/release}
SIZE=${2:-1920x1080}
RUNS=${3:-5}
PELMIC=$BUILD/src/platform/linux/pelmic
PROBE=$BUILD/tools/bench/linux_bench/pelmic_saver_probe
BENCH=$BUILD/tools/bench/linux_bench/pelmic_linux_bench
BASELINE=${PELMIC_BASELINE:-}
for f in "$PELMIC" "$PROBE" "$BENCH" ${BASELINE:+"$BASELINE"}; do
  [ -x "$f" ] || { echo "missing $f (configure with PELMIC_BENCHMARKS=ON and build)" >&2; exit 1; }
done

RT=$(mktemp -d /tmp/pelmic-bench-sway-XXXXXX)
BIN=$(mktemp -d /tmp/pelmic-bench-bin-XXXXXX)
AS=()
if [ "$(id -u)" = 0 ]; then
  chown nobody "$RT"
  AS=(runuser -u nobody --)
  # nobody may not reach the build tree (a clone in a private folder): run copies.
  chmod 711 "$BIN"
  cp "$PELMIC" "$PROBE" "$BENCH" "$BIN"/
  PELMIC=$BIN/pelmic PROBE=$BIN/pelmic_saver_probe BENCH=$BIN/pelmic_linux_bench
  if [ -n "$BASELINE" ]; then cp "$BASELINE" "$BIN/pelmic-baseline"; BASELINE=$BIN/pelmic-baseline; fi
fi
chmod 700 "$RT"
XWAYLAND=disable
command -v Xwayland >/dev/null && XWAYLAND=enable
printf 'output HEADLESS-1 mode %s\nxwayland %s\n' "$SIZE" "$XWAYLAND" > "$RT/config"
env -i PATH="$PATH" XDG_RUNTIME_DIR="$RT" HOME="$RT" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
  WLR_RENDERER=pixman "${AS[@]}" sway -c "$RT/config" >/dev/null 2>&1 &
sway_pid=$!
trap 'kill "$sway_pid" 2>/dev/null; wait "$sway_pid" 2>/dev/null || true; rm -rf "$RT" "$BIN"' EXIT
for _ in $(seq 100); do ls "$RT"/wayland-? "$RT"/sway-ipc.*.sock >/dev/null 2>&1 && break; sleep 0.05; done
# A client of this sway, as its user: Xwayland lets only that user in.
client() {
  env -u DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$RT" WAYLAND_DISPLAY="$(ls "$RT"/wayland-?)" \
    SWAYSOCK="$(ls "$RT"/sway-ipc.*.sock)" "$@"
}
probe() { client "$@" "${AS[@]}" "$PROBE" "$PELMIC" "$RUNS" ${BASELINE:+"$BASELINE"}; }
echo "headless sway at $SIZE; load average: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== Wayland, natively"
probe

if [ "$XWAYLAND" = enable ]; then
  # sway starts Xwayland for the first X client; its children's environment
  # names the server and its cookie.
  client swaymsg exec "echo \$DISPLAY > $RT/display" >/dev/null
  for _ in $(seq 100); do [ -s "$RT/display" ] && break; sleep 0.05; done
  echo "== X11 through XWayland (SDL_VIDEODRIVER=x11, DISPLAY=$(cat "$RT/display")); Xwayland starts with the first run"
  probe DISPLAY="$(cat "$RT/display")" SDL_VIDEODRIVER=x11
  echo "Xwayland resident: $(ps -o rss= -C Xwayland | awk '{s += $1} END {printf "%.1f MB", s / 1024}')"
fi

echo "== Wayland: idle turns and the pause"
client "${AS[@]}" "$BENCH" turns 2000000
echo "== Wayland: 49-site cycles, set-up and per-site loop"
client "${AS[@]}" "$BENCH" cycle 10
