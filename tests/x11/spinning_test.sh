#!/usr/bin/env bash
# A world whose script turns a cube on a periodic task and recolours it when
# it is clicked, run in the program on a private Xvfb server: a picture after
# some frames differs from the first, and a click on the cube turns it from
# red to blue.
#   spinning_test.sh PROGRAM spinning.wrl
set -u
program="$1"
world="$(realpath "$2")"
source "$(dirname "$0")/program_session.sh"

# Share of the view in a colour, and the box around its pixels in the view.
share() { convert "$work/$1-view.png" -fx "$2" -format '%[fx:mean]' info:; }
box() { convert "$work/$1-view.png" -fx "$2" -threshold 50% -trim -format '%X %Y %w %h' info:; }
reddish='(r-g)>0.1 && (r-b)>0.1'
bluish='(b-r)>0.1'

start_program "$program" "$world"
shot first
sleep 1.5
shot later
keep_shots
[ "$(changed_pixels first later)" -gt 500 ] || fail "the cube did not turn"
awk -v r="$(share later "$reddish")" 'BEGIN { exit !(r > 0.01) }' || fail "no red cube in the view"

read -r bx by bw bh <<<"$(box later "$reddish")"
bx=${bx#+}; by=${by#+}
xdotool mousemove $((vx + bx + bw / 2)) $((vy + by + bh / 2)) click 1
sleep 1
shot clicked
keep_shots
awk -v b="$(share clicked "$bluish")" -v r="$(share clicked "$reddish")" 'BEGIN { exit !(b > 0.01 && r < 0.002) }' ||
  fail "the click did not recolour the cube (blue $(share clicked "$bluish"), red $(share clicked "$reddish"))"

close_program
echo "passed"
