#!/usr/bin/env bash
# Runs the window demo on a private Xvfb server and opens the sub-menu of its
# File menu with xdotool: a screenshot shows the sub-menu beside its item,
# the item and the sub-menu's first item lit, then a click in the sub-menu
# gives its command and closes every pop-up. Skipped (77) without Xvfb,
# xdotool or ImageMagick. With SUBMENU_SHOT=FILE.png the open sub-menu's
# screenshot is kept there for a person to look at.
set -u
demo="$1"
XVFB_TOOLS="Xvfb xdotool import convert"
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
"$demo" >"$work/out" 2>&1 &
pid=$!
poll 30 grep -q ready "$work/out"
fail() { echo "FAILED: $*"; cat "$work/out"; exit 1; }
grep -q "presenter x11" "$work/out" || fail "the demo did not open the display"
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
expect() {  # shot x y colour what
  local seen
  seen=$(pixel "$1" "$2" "$3")
  [ "$seen" = "$4" ] || fail "$5: $seen at ($2, $3), not $4"
}
# A screenshot as NAME that has the colour at x y; the steps wait with it
# for the screen to show the last one, since the pointer's moves and clicks
# go to whatever window is under it when the server takes them.
shows() { import -window root "$work/$1.png"; [ "$(pixel "$work/$1.png" "$2" "$3")" = "$4" ]; }
menu="srgb(192,192,192)" lit="srgb(0,0,128)" client="srgb(0,128,64)"
# The window is at (50, 40): its File pop-up opens at (56, 82), items 18
# pixels high from y 84: Hello, Check me, Recent.
poll 30 shows open 300 250 "$client" || fail "the window did not show"
xdotool mousemove 70 72 click 1
poll 30 shows open 140 90 "$menu" || fail "the File menu did not open"
xdotool mousemove 80 129                             # onto "Recent": the sub-menu opens
poll 30 shows open 255 151 "$menu" || fail "the sub-menu did not open"
xdotool mousemove 255 130                            # into its first item, level with "Recent"
poll 30 shows open 255 123 "$lit"
[ -n "${SUBMENU_SHOT:-}" ] && cp "$work/open.png" "$SUBMENU_SHOT"
expect "$work/open.png" 60 129 "$lit" "the item holding the sub-menu is not lit"
expect "$work/open.png" 255 123 "$lit" "the sub-menu's first item is not lit beside its item"
expect "$work/open.png" 255 151 "$menu" "no sub-menu's second item below the first"
xdotool mousemove 255 147 click 1                    # "Second world"
all_closed() { shows closed 60 129 "$client" && [ "$(pixel "$work/closed.png" 255 151)" = "$client" ]; }
poll 30 all_closed
expect "$work/closed.png" 255 151 "$client" "the sub-menu stayed open"
expect "$work/closed.png" 60 129 "$client" "the File pop-up stayed open"
poll 30 grep -qx "command recent 2" "$work/out" || fail "no command from the sub-menu"
xdotool mousemove 395 52 click 1                     # the close box
wait $pid
status=$?
[ "$status" -eq 0 ] || fail "status $status"
echo "passed"
