#!/usr/bin/env bash
# Frames on the screen, as a user sees them: starts a private Xvfb server
# (1280 x 1024, 24 bits) and the program on a world, sizes its main window,
# lets it run SECONDS (default 10) and prints the frames a second, the
# process's CPU time per frame (user and system, all threads, from
# /proc/PID/stat), the mean rendering time R of those frames and the rest of
# the CPU time per frame; R comes from the program's "-dframerate" lines.
#   bench/present.sh [BUILD_DIR]                       the three standard runs:
#       hello.wrl at the start size, the 100,000-triangle grid at 1024x768,
#       hello.wrl at 1024x768; the grid is written by gridworld.py 224 from
#       the shared bench folder beside the repository, or $GRIDWORLD
#   bench/present.sh BUILD_DIR WORLD SIZE [SECONDS [turning]]    one run;
#       SIZE is WIDTHxHEIGHT asked for the main window (the program keeps
#       its view within 4:3 and 1024 x 768), or "start" for the size it
#       opens at; "turning" holds the left arrow key down while it measures,
#       so that every frame differs from the one before and is shown whole
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(realpath "${1:-build/release}")"
program="$build/shell/lumenfold"
for tool in Xvfb xdotool python3; do
  command -v "$tool" >/dev/null || { echo "present.sh: needs $tool" >&2; exit 1; }
done
[ -x "$program" ] || { echo "present.sh: no program at $program" >&2; exit 1; }

work=$(mktemp -d)
xvfb="" lumenfold=""
trap 'kill $lumenfold $xvfb 2>/dev/null; rm -rf "$work"' EXIT

# Waits up to $1 seconds for the command to succeed.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }
found_window() { found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1); [ -n "$found" ]; }
# The main window: the first shown that is not the Messages window (a world
# may have given it its own title already).
found_main() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" != Messages ] && { found=$id; return 0; }
  done
  return 1
}
gone_window() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
frames_so_far() { grep -c '^Rendering' "$work/frames.log" || true; }
drawing() { [ "$(frames_so_far)" -gt 20 ]; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$lumenfold/stat"; }
geometry() { xdotool getwindowgeometry "$window" 2>/dev/null | tail -1; }
# The window has taken a new size and kept it for half a second.
resized() {
  local before
  before=$(geometry)
  [ "$before" != "$1" ] || return 1
  sleep 0.5
  [ "$(geometry)" = "$before" ]
}

start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  xvfb=$!
  poll 30 test -s "$work/display" || { echo "present.sh: Xvfb named no display" >&2; exit 1; }
  export DISPLAY=":$(cat "$work/display")"
  poll 30 answers || { echo "present.sh: Xvfb does not answer" >&2; exit 1; }
}

# One run: prints "WORLD SIZE: F frames/s, CPU C ms/frame (P% of a core), R R ms, the rest E ms".
measure() {
  local world="$1" size="$2" seconds="$3" turning="${4:-}"
  rm -rf "$work/home" "$work/frames.log"
  LUMENFOLD_HOME="$work/home" "$program" -dframerate "$world" 2>"$work/frames.log" >"$work/out" &
  lumenfold=$!
  poll 60 found_main || { echo "present.sh: no main window" >&2; tail "$work/frames.log" "$work/out" >&2; exit 1; }
  window=$found
  # The Messages window opens over the main window at the start: its Close
  # button hides it, as a user would.
  if poll 20 found_window '^Messages$'; then
    eval "$(xdotool getwindowgeometry --shell "$found")"
    xdotool mousemove $((X + WIDTH / 2 - 10)) $((Y + HEIGHT - 23)) click 1
    poll 20 gone_window '^Messages$' || true
  fi
  if [ "$size" != start ]; then
    local start
    start=$(geometry)
    xdotool windowsize "$window" "${size%x*}" "${size#*x}"
    poll 20 resized "$start" || { echo "present.sh: the window was not resized" >&2; exit 1; }
  fi
  eval "$(xdotool getwindowgeometry --shell "$window")"
  poll 120 drawing || { echo "present.sh: no frames drawn" >&2; exit 1; }
  if [ "$turning" = turning ]; then
    # A click on the view gives it the keys, as a user does.
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
    xdotool keydown Left
  fi
  sleep 2  # past the first frames and the resize
  local first_frame first_cpu last_frame last_cpu hz
  first_frame=$(frames_so_far)
  first_cpu=$(cpu_ticks)
  sleep "$seconds"
  last_frame=$(frames_so_far)
  last_cpu=$(cpu_ticks)
  [ "$turning" = turning ] && xdotool keyup Left
  hz=$(getconf CLK_TCK)
  kill "$lumenfold"
  wait "$lumenfold" 2>/dev/null || true
  lumenfold=""
  awk -v from="$first_frame" -v to="$last_frame" -v cpu=$((last_cpu - first_cpu)) -v hz="$hz" \
      -v s="$seconds" -v name="$(basename "$world") ${WIDTH}x${HEIGHT}" '
    /^Rendering/ { n++ }
    /^Tick/ && n > from && n <= to { tick += $2; rendering += $6; ticks++ }
    END {
      frames = to - from
      if (frames < 1 || ticks < 1) { print name ": no frames"; exit 1 }
      perFrame = 1000 * cpu / hz / frames
      r = rendering / ticks
      printf "%s: %.1f frames/s, CPU %.2f ms/frame (%.1f%% of a core), R %.2f ms, the rest %.2f ms", \
             name, frames / s, perFrame, 100 * cpu / hz / s, r, perFrame - r
      printf " (the program thread: %.2f ms/tick)\n", tick / ticks
    }' "$work/frames.log"
}

start_xvfb
if [ $# -ge 3 ]; then
  measure "$(realpath "$2")" "$3" "${4:-10}" "${5:-}"
  exit 0
fi
hello="$(realpath "$here/../examples/hello.wrl")"
python3 "${GRIDWORLD:-$here/../../shared/bench/gridworld.py}" 224 >"$work/grid224.wrl"
measure "$hello" start 10
echo "  goal: at most 10% of a core"
measure "$work/grid224.wrl" 1024x768 10
echo "  goal: at least 55 frames/s, CPU per frame at most R + 2 ms"
measure "$hello" 1024x768 10
echo "  goal: the rest at most 1.5 ms"
