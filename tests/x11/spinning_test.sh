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
share() { share_of "$work/$1-view.png" "$2"; }
box() { convert "$work/$1-view.png" -fx "$2" -threshold 50% -trim -format '%X %Y %w %h' info:; }
reddish='(r-g)>0.1 && (r-b)>0.1'
bluish='(b-r)>0.1'

red_cube() { awk -v r="$(share "$1" "$reddish")" 'BEGIN { exit !(r > 0.01) }'; }
shows_cube() { shot first; red_cube first; }
turning() { shot later; [ "$(changed_pixels first later)" -gt 500 ]; }
recoloured() {
  shot clicked
  awk -v b="$(share clicked "$bluish")" -v r="$(share clicked "$reddish")" 'BEGIN { exit !(b > 0.01 && r < 0.002) }'
}

start_program "$program" "$world"
poll 60 shows_cube || fail "no red cube in the view"
poll 30 turning || { keep_shots; fail "the cube did not turn"; }
red_cube later || fail "no red cube in the view"

read -r bx by bw bh <<<"$(box later "$reddish")"
bx=${bx#+}; by=${by#+}
xdotool mousemove $((vx + bx + bw / 2)) $((vy + by + bh / 2)) click 1
poll 30 recoloured || {
  keep_shots
  fail "the click did not recolour the cube (blue $(share clicked "$bluish"), red $(share clicked "$reddish"))"
}
keep_shots

close_program
echo "passed"
