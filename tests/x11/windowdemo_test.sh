#!/usr/bin/env bash
# Runs the window demo on a private Xvfb server: xdotool opens its menu and
# chooses an item, types into its edit field and clicks the close box; the
# program's output shows each, a screenshot holds the client area's colour
# and the program ends with status 0. Skipped (77) without Xvfb or xdotool.
set -u
demo="$1"
XVFB_TOOLS="Xvfb xdotool import convert"
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
"$demo" >"$work/out" 2>&1 &
pid=$!
poll 30 grep -q ready "$work/out"
fail() { echo "FAILED: $*"; cat "$work/out"; exit 1; }
grep -q "presenter x11" "$work/out" || fail "the demo did not open the display"
pixel() { import -window root "$work/now.png"; convert "$work/now.png" -format "%[pixel:p{$1,$2}]" info:; }
shows() { [ "$(pixel "$1" "$2")" = "$3" ]; }
menu="srgb(192,192,192)" client="srgb(0,128,64)"
# The window is at (50, 40), 360 x 240: frame 4, caption 19, menu bar 19.
# Each step waits for the screen to show the last one: a click lands on
# whatever window is under the pointer when the server takes it.
poll 30 shows 300 250 "$client" || fail "the window did not show"
xdotool mousemove 70 72 click 1
poll 30 shows 140 90 "$menu" || fail "the File menu did not open"
xdotool mousemove 80 113 click 1                     # "Check me"
poll 30 shows 140 90 "$client" || fail "the File menu stayed open"
xdotool mousemove 120 112 click 1                    # into the edit field
xdotool type --delay 30 "hello"
poll 30 grep -q 'edit "hello"' "$work/out"
import -window root "$work/shot.png"
pixel=$(convert "$work/shot.png" -format '%[pixel:p{300,250}]' info:)
xdotool mousemove 395 52 click 1                     # the close box
wait $pid
status=$?
grep -q "command check on" "$work/out" || fail "no menu command"
grep -q 'edit "hello"' "$work/out" || fail "no typing"
grep -q "destroyed" "$work/out" || fail "not closed"
[ "$status" -eq 0 ] || fail "status $status"
case "$pixel" in
  "srgb(0,128,64)") ;;
  *) fail "the screenshot shows $pixel where the client area is" ;;
esac
echo "passed"
