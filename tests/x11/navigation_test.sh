#!/usr/bin/env bash
# Walks through a world in the program on a private Xvfb server: the arrow
# key Up moves the view forward (the cube ahead grows in the picture), and a
# drag with the left button to the right turns it.
#   navigation_test.sh PROGRAM WORLD.wrl
set -u
program="$1"
world="$(realpath "$2")"
source "$(dirname "$0")/program_session.sh"

start_program "$program" "$world"
cx=$((X + WIDTH / 2)); cy=$((Y + HEIGHT / 2))
xdotool mousemove $cx $cy click 1   # as a user does: the view takes the keys
poll 60 shows_world start || fail "the view shows no world"
settle start

# Up is tapped, each step awaited in the view, until the red cube ahead
# fills more of it. A tap is one step however the ticks fall (a key that went
# down and up between two ticks still counts once), a small part of the way
# to the cube; a held key would walk the eye over the cube (lower than the
# eye, it does not stop the walk) on a fast machine and hardly move it on a
# slow one.
red() { share_of "$work/$1-view.png" '(r-g)>0.1'; }
grown() { awk -v a="$(red start)" -v b="$(red forward)" 'BEGIN { exit !(b > 1.15 * a && a > 0) }'; }
stepped() { shot forward; [ "$(changed_pixels before forward)" -ge 50 ]; }
cp "$work/start-view.png" "$work/before-view.png"
for _ in $(seq 10); do
  xdotool key Up
  poll 30 stepped || { keep_shots; fail "a tap of Up did not move the view"; }
  grown && break
  cp "$work/forward-view.png" "$work/before-view.png"
done
grown || { keep_shots; fail "the view did not move forward (red share $(red start) -> $(red forward))"; }
settle forward

# The button is held until the view has turned, since a slow machine's
# ticks may be seconds apart; the view keeps its new heading once released.
turned() { shot turned; [ "$(changed_pixels forward turned)" -gt 1000 ]; }
xdotool mousedown 1
for step in 10 20 30 40 50 60 70 80; do xdotool mousemove $((cx + step)) $cy; sleep 0.05; done
poll 40 turned
xdotool mouseup 1
settle turned
keep_shots
turned=$(changed_pixels forward turned)
[ "$turned" -gt 1000 ] || fail "the drag did not turn the view ($turned pixels changed)"

close_program
echo "passed"
