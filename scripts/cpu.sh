#!/usr/bin/env bash
# Live CPU benchmark (not a test): runs the real sdl backend windowed at 640x480 under Xvfb with
# SDL's dummy audio driver for SECONDS (default 60) after a 5 s start-up, then prints the
# process's CPU use over those seconds as a share of one core (utime + stime), the frames
# presented and, from the --log output, the mean and worst interval between frames for each
# minimum frame time.
#   scripts/cpu.sh [SECONDS] [PROGRAM OPTIONS...]    e.g. scripts/cpu.sh 60 --start-order 12
# QV_BIN names the program (default build/quorvane), QV_CPU_LOG a file to keep its log in. The X
# server's own share is not counted.
set -euo pipefail

secs=${1:-60}
shift || true
case $secs in '' | *[!0-9]*) echo "usage: scripts/cpu.sh [SECONDS] [OPTIONS...]" >&2 && exit 2 ;; esac
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(realpath "${QV_BIN:-$root/build/quorvane}")
skip=5 # s of start-up (loaders, fade) left out of the figure
[ -x "$bin" ] || { echo "cpu.sh: no program at $bin (build it first)" >&2 && exit 1; }

if ! command -v Xvfb > /dev/null; then
  if [ "$(id -u)" = 0 ]; then
    apt-get install -y xvfb > /dev/null
  else
    echo "cpu.sh: Xvfb is missing (apt-get install xvfb)" >&2 && exit 1
  fi
fi

work=$(mktemp -d)
xpid=
cleanup() {
  [ -n "$xpid" ] && kill "$xpid" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number, and the server's socket before the program starts.
disp=90
while [ -e "/tmp/.X11-unix/X$disp" ] || [ -e "/tmp/.X$disp-lock" ]; do disp=$((disp + 1)); done
Xvfb ":$disp" -screen 0 1024x768x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
xpid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$disp" ] && break; sleep 0.1; done

# The program's own event script presses Escape once the measured seconds have passed. CPU time
# at the start of the window from /proc/PID/stat, at the end from the exit's resource usage.
cat > "$work/measure.py" << 'PY'
import os, subprocess, sys, time
secs, skip, work, prog = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
args = [prog, "--windowed", "--scale", "2", "--log", work + "/run.log",
        "--script", "%d:key:ESC" % ((secs + skip) * 1000)] + sys.argv[5:]
with open(work + "/out.txt", "w") as out:
    p = subprocess.Popen(args, stdout=out, stderr=subprocess.STDOUT, cwd=os.path.dirname(prog))
time.sleep(skip)
hz = os.sysconf("SC_CLK_TCK")
try:
    with open("/proc/%d/stat" % p.pid) as f:
        st = f.read().rsplit(")", 1)[1].split()
    c0 = (int(st[11]) + int(st[12])) / hz
except OSError:
    c0 = 0.0
t0 = time.monotonic()
while True:
    pid, status, ru = os.wait4(p.pid, os.WNOHANG)
    if pid:
        break
    if time.monotonic() - t0 > secs + 60:
        p.kill()
    time.sleep(0.05)
print("%.3f %.3f %d" % (ru.ru_utime + ru.ru_stime - c0, time.monotonic() - t0, status))
PY
read -r cpu wall status < <(DISPLAY=":$disp" SDL_AUDIODRIVER=dummy python3 "$work/measure.py" "$secs" "$skip" "$work" "$bin" "$@")
[ -n "${QV_CPU_LOG:-}" ] && cp "$work/run.log" "$QV_CPU_LOG"
[ "$status" = 0 ] || { echo "cpu.sh: the program failed (status $status):" >&2 && cat "$work/out.txt" >&2 && exit 1; }

awk -v cpu="$cpu" -v wall="$wall" -v secs="$secs" '
  BEGIN { split("50 50 0 50 0 0 50 25 50 25 50 50 35 50 50", minf, " ") }
  /XLOG: presented/ { frames = $3 }
  # Per segment: the cadence line at its hand-over (or at the end); without one (an older
  # program) the mean interval from the hand-over times.
  /XLOG: segment [0-9]+ -> / { gsub(/[:,]/, ""); fallback[$3] = ($10 - last) " " $12; last = $10 }
  /XLOG: cadence of segment/ { gsub(/[:,]/, ""); s = $5; seen[s] = 1
    m = minf[s]; iv[m] += $10 * $6; cnt[m] += $6; if ($13 > worst[m]) worst[m] = $13 }
  END {
    for (s in fallback) if (!(s in seen)) { split(fallback[s], f, " "); m = minf[s]; iv[m] += f[1]; cnt[m] += f[2]; worst[m] = -1 }
    printf "cpu: %.1f%% of one core over %.1f s (%d s asked), %d frames presented in the whole run\n", 100 * cpu / wall, wall, secs, frames
    printf "min frame  frames  mean interval  worst interval      fps\n"
    split("50 25 35 0", order, " ")
    for (i = 1; i <= 4; i++) { m = order[i]; if (!cnt[m]) continue
      printf "%9s  %6d  %10.1f ms  %s  %7.1f\n", m ? m " ms" : "none", cnt[m], iv[m] / cnt[m],
        worst[m] < 0 ? "             -" : sprintf("%11.1f ms", worst[m]), 1000 * cnt[m] / iv[m] }
  }' "$work/run.log"
