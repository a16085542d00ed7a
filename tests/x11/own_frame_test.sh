#!/usr/bin/env bash
# The program on a 1280 x 1024 Xvfb server without a window manager, its
# frame our own: a drag of the caption moves the main window, a drag of its
# lower right corner sizes it and the view follows, the maximise box
# maximises it, the minimise box leaves only its caption and that caption's
# restore box brings the window back.
#   own_frame_test.sh PROGRAM WORLD.wrl
set -u
program="$1"
world="$(realpath "$2")"
XVFB_TOOLS="Xvfb xdotool import convert"
XVFB_SCREEN=1280x1024x24
source "$(dirname "$0")/xvfb.sh"
export LUMENFOLD_HOME="$work/home" LUMENFOLD_SOUND_DEVICE=none
fail() { echo "FAILED: $*"; cat "$work/out" 2>/dev/null; keep_shots; exit 1; }
geometry() { eval "$(xdotool getwindowgeometry --shell "$window")"; }
# drag FROM_X FROM_Y DX DY: the left button held over five steps.
drag() {
  xdotool mousemove "$1" "$2" mousedown 1
  for step in 1 2 3 4 5; do xdotool mousemove $(($1 + $3 * step / 5)) $(($2 + $4 * step / 5)); sleep 0.2; done
  xdotool mouseup 1
}
light_share() { import -window root "$work/$1.png"; convert "$work/$1.png" -crop "$2" +repage "$work/$1-part.png";
  share_of "$work/$1-part.png" 'r+g+b>1.2'; }

"$program" "$world" >"$work/out" 2>&1 &
pid=$!
poll 60 found_window '^Lumenfold$' || fail "no main window"
window=$found
geometry
drawn() { awk -v s="$(light_share start "${WIDTH}x${HEIGHT}+$X+$Y")" 'BEGIN { exit !(s > 0.2) }'; }
poll 60 drawn || fail "the world is not drawn"

# The caption: 19 pixels under the 4-pixel frame, the boxes at its right end.
startX=$X startY=$Y
drag $((X + 150)) $((Y + 12)) 100 150
moved() { geometry; [ "$X" -eq $((startX + 100)) ] && [ "$Y" -eq $((startY + 150)) ]; }
poll 30 moved || fail "the caption drag did not move the window ($startX,$startY -> $X,$Y)"

startWidth=$WIDTH startHeight=$HEIGHT
drag $((X + WIDTH - 2)) $((Y + HEIGHT - 2)) 200 150
resized() { geometry; [ "$WIDTH" -gt $((startWidth + 100)) ] && [ "$HEIGHT" -gt $((startHeight + 100)) ]; }
poll 30 resized || fail "the corner drag did not size the window (${startWidth}x$startHeight -> ${WIDTH}x$HEIGHT)"
grown() { awk -v s="$(light_share resized "120x60+$((X + startWidth - 20))+$((Y + startHeight - 120))")" \
  'BEGIN { exit !(s > 0.5) }'; }
poll 30 grown || fail "the view did not follow the new size"
geometry
normalWidth=$WIDTH normalHeight=$HEIGHT

xdotool mousemove $((X + WIDTH - 4 - 18 - 10)) $((Y + 12)) click 1   # the maximise box
maximised() { geometry; [ "$WIDTH" -gt 900 ] && [ "$HEIGHT" -gt 700 ] && [ "$X" -le 0 ] && [ "$Y" -le 0 ]; }
poll 30 maximised || fail "the maximise box did not maximise the window (${WIDTH}x$HEIGHT at $X,$Y)"
fills() { awk -v s="$(light_share maximised "${WIDTH}x1+$X+$((Y + HEIGHT - 70))")" 'BEGIN { exit !(s > 0.85) }'; }
poll 30 fills || fail "the view does not fill the maximised window"

xdotool mousemove $((X + WIDTH - 4 - 18 - 16 - 10)) $((Y + 12)) click 1   # the minimise box
minimised() { geometry; [ "$HEIGHT" -lt 40 ] && [ $((Y + HEIGHT)) -eq 1024 ]; }
poll 30 minimised || fail "the minimise box did not leave the caption (${WIDTH}x$HEIGHT at $X,$Y)"
import -window root "$work/minimised.png"
xdotool mousemove $((X + WIDTH - 4 - 18 - 10)) $((Y + 12)) click 1   # its restore box
# The size before, as the program's 4:3 rule rounds it again.
restored() { geometry; [ $((WIDTH - normalWidth)) -le 2 ] && [ $((normalWidth - WIDTH)) -le 2 ] &&
  [ $((HEIGHT - normalHeight)) -le 2 ] && [ $((normalHeight - HEIGHT)) -le 2 ]; }
poll 30 restored || fail "the restore box did not bring the window back (${WIDTH}x$HEIGHT, not ${normalWidth}x$normalHeight)"
keep_shots
echo "passed"
