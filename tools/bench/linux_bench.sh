#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Timings of the Linux saver on a private Xvfb display (not pass/fail):
#   - start-up: from exec to the first pale pixel, memory held, and the time
#     from a key (sent on the probe's open connection) to the end of the process;
#   - idle turns and the pause they make (1,276,600 yields);
#   - the per-site loop of 49-site cycles with presenting against without.
# With PELMIC_BASELINE naming another build's pelmic, the probe's runs
# alternate between the two on the same display.
# Usage: [PELMIC_BASELINE=old/pelmic] tools/bench/linux_bench.sh [build dir, default build/release]
#        [WxH, default 1920x1080] [runs, default 5]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD=${1:-$ROOT/build/release}
SIZE=${2:-1920x1080}
RUNS=${3:-5}
PELMIC=$BUILD/src/platform/linux/pelmic
BENCH=$BUILD/tools/bench/linux_bench/pelmic_linux_bench
BASELINE=${PELMIC_BASELINE:-}
for f in "$PELMIC" "$BENCH" ${BASELINE:+"$BASELINE"}; do
  [ -x "$f" ] || { echo "missing $f (configure with PELMIC_BENCHMARKS=ON and build)" >&2; exit 1; }
done

# A free display in :200-:299, as the end-to-end tests use.
xvfb_pid=""
for n in $(seq 200 299); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 "${SIZE}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    xdpyinfo -display ":$n" >/dev/null 2>&1 && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  if xdpyinfo -display ":$n" >/dev/null 2>&1; then export DISPLAY=":$n"; break; fi
  xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "no free X display" >&2; exit 1; }
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true' EXIT
export SDL_VIDEODRIVER=x11
echo "display $DISPLAY at $SIZE; load average: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== start-up to the first pale pixel, memory held 2 s later, a key sent by the probe to the end"
"$BUILD/tools/bench/linux_bench/pelmic_saver_probe" "$PELMIC" "$RUNS" ${BASELINE:+"$BASELINE"}

echo "== idle turns and the pause"
"$BENCH" turns 2000000
echo "== 49-site cycles: set-up and per-site loop"
"$BENCH" cycle 10
