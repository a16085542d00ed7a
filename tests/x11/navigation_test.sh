#!/usr/bin/env bash
# Walks through a world in the program on a private Xvfb server: the arrow
# key Up held down moves the view forward (the cube ahead grows in the
# picture), and a drag with the left button to the right turns it.
#   navigation_test.sh PROGRAM WORLD.wrl
set -u
program="$1"
world="$(realpath "$2")"
source "$(dirname "$0")/program_session.sh"

start_program "$program" "$world"
cx=$((X + WIDTH / 2)); cy=$((Y + HEIGHT / 2))
xdotool mousemove $cx $cy click 1   # as a user does: the view takes the keys
sleep 0.5
shot start
awk -v c="$(covered start)" 'BEGIN { exit !(c > 0.05) }' || fail "the view shows no world"

# Held rather than tapped: taps may fall between the ticks of a busy
# machine, a held key walks on every tick there is (and the cube ahead stops
# the walk short of it on a quiet one).
xdotool keydown Up
sleep 1.5
xdotool keyup Up
# Walking forward, the red cube ahead fills more of the view (on a busy
# machine the steps may show a few seconds late).
red() { convert "$work/$1-view.png" -fx '(r-g)>0.1' -format '%[fx:mean]' info:; }
grown() { awk -v a="$(red start)" -v b="$(red forward)" 'BEGIN { exit !(b > 1.15 * a && a > 0) }'; }
for _ in $(seq 10); do
  sleep 1
  shot forward
  grown && break
done
grown || { keep_shots; fail "the view did not move forward (red share $(red start) -> $(red forward))"; }

xdotool mousedown 1
for step in 10 20 30 40 50 60 70 80; do xdotool mousemove $((cx + step)) $cy; sleep 0.05; done
sleep 1
xdotool mouseup 1
sleep 0.5
shot turned
keep_shots
turned=$(changed_pixels forward turned)
[ "$turned" -gt 1000 ] || fail "the drag did not turn the view ($turned pixels changed)"

close_program
echo "passed"
