#!/usr/bin/env bash
# The program under a window manager (openbox) on a 1280 x 1024 Xvfb
# server, started without a sound device: the main window has the manager's
# frame and says who it is (WM_CLASS, _NET_WM_NAME, its icon); no Messages window opens
# for a world without errors; a drag of the title bar moves the window, a
# size asked through the manager resizes it and the view follows, and the
# manager's maximise fills the room the program allows. Then a world with a
# syntax error and the chat window: Messages opens below the main window and
# Chat to its right, neither over the main window, also when the manager
# frames them late, and Messages is owned (transient) by the main window.
#   window_manager_test.sh PROGRAM WORLD.wrl
set -u
program="$1"
world="$(realpath "$2")"
XVFB_TOOLS="Xvfb xdotool import convert openbox wmctrl xprop xwininfo"
XVFB_SCREEN=1280x1024x24
source "$(dirname "$0")/xvfb.sh"
export LUMENFOLD_HOME="$work/home" LUMENFOLD_SOUND_DEVICE=none
fail() { echo "FAILED: $*"; cat "$work/out" 2>/dev/null; keep_shots; exit 1; }

# The manager is the machine's, not ours: one that ended before it took the
# screen (a busy machine's start-up) is started again, and what it said is
# shown if it never does.
start_manager() { openbox >>"$work/openbox.out" 2>&1 & manager=$!; }
start_manager
trap 'kill $manager $xvfbs 2>/dev/null; [ -n "${pid:-}" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
manager_runs() {
  kill -0 "$manager" 2>/dev/null || start_manager
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"
}
poll 60 manager_runs || { cat "$work/openbox.out"; fail "openbox did not start"; }

# geometry WINDOW: X Y WIDTH HEIGHT of the X window on the screen (xwininfo:
# xdotool's answer counts the manager's frame in).
geometry() {
  eval "$(xwininfo -id "$1" | awk -F: '/Absolute upper-left X/ { print "X=" $2 } /Absolute upper-left Y/ { print "Y=" $2 }
    /^ *Width/ { print "WIDTH=" $2 } /^ *Height/ { print "HEIGHT=" $2 }' | tr -d ' ')"
}
framed() { xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '= [0-9]'; }
# The share of light pixels (the floor, the cube's lit faces) in a part of the screen.
light_share() { import -window root "$work/$1.png"; convert "$work/$1.png" -crop "$2" +repage "$work/$1-part.png";
  share_of "$work/$1-part.png" 'r+g+b>1.2'; }

"$program" "$world" >"$work/out" 2>&1 &
pid=$!
poll 60 found_window '^Lumenfold$' || fail "no main window"
window=$found
poll 30 framed "$window" || fail "the manager did not frame the main window"
xprop -id "$window" WM_CLASS | grep -q '"lumenfold", "Lumenfold"' || fail "WM_CLASS: $(xprop -id "$window" WM_CLASS)"
xprop -id "$window" _NET_WM_NAME | grep -q '"Lumenfold"' || fail "_NET_WM_NAME: $(xprop -id "$window" _NET_WM_NAME)"
xprop -id "$window" _NET_WM_ICON | grep -q 'Icon (48 x 48)' || fail "no 48 x 48 icon for the manager"
geometry "$window"
drawn() { awk -v s="$(light_share start "${WIDTH}x${HEIGHT}+$X+$Y")" 'BEGIN { exit !(s > 0.2) }'; }
poll 60 drawn || fail "the world is not drawn"
# The world is drawn: start-up is over, and nothing was worth a Messages window.
found_window '^Messages$' && fail "a Messages window opened for a world without errors"

# The title bar lies above the client area, inside the manager's frame.
startX=$X startY=$Y
xdotool mousemove $((X + 150)) $((Y - 8)) mousedown 1
for step in 1 2 3 4 5; do xdotool mousemove $((X + 150 + 20 * step)) $((Y - 8 + 30 * step)); sleep 0.2; done
xdotool mouseup 1
moved() { geometry "$window"; [ "$X" -eq $((startX + 100)) ] && [ "$Y" -eq $((startY + 150)) ]; }
poll 30 moved || fail "the title bar drag did not move the window ($startX,$startY -> $X,$Y)"

startWidth=$WIDTH startHeight=$HEIGHT
xdotool windowsize "$window" 700 560
resized() { geometry "$window"; [ "$WIDTH" -gt $((startWidth + 150)) ] && [ "$HEIGHT" -gt $((startHeight + 100)) ]; }
poll 30 resized || fail "the window was not resized (${startWidth}x$startHeight -> ${WIDTH}x$HEIGHT)"
# The view follows: its lower right part, empty at the old size, shows the floor.
grown() { awk -v s="$(light_share resized "150x80+$((X + startWidth - 20))+$((Y + startHeight - 120))")" \
  'BEGIN { exit !(s > 0.5) }'; }
poll 30 grown || fail "the view did not follow the new size"

wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
maximised() { geometry "$window"; [ "$WIDTH" -gt 900 ] && [ "$HEIGHT" -gt 700 ]; }
poll 30 maximised || fail "the manager's maximise did not grow the window (${WIDTH}x$HEIGHT)"
geometry "$window"
# The view fills the larger area: a row of it above the navigation bar is floor from side to side.
floor_row() { light_share maximised "${WIDTH}x1+$X+$((Y + HEIGHT - 70))"; }
fills() { awk -v s="$(floor_row)" 'BEGIN { exit !(s > 0.85) }'; }
poll 30 fills || fail "the view does not fill the maximised window (${WIDTH}x$HEIGHT, floor $(floor_row) of a row)"
echo "maximised to ${WIDTH}x$HEIGHT, the floor $(floor_row) of a row of it"

wmctrl -i -c "$window"
poll 60 ended $pid || fail "the manager's close did not end the program"
wait $pid || fail "status $?"

# A world with an error, and the chat window: where they open, with the
# manager on time and with a manager that frames the first windows late (held
# while the program starts: the placement must not leave its frames out).
printf '#VRML V1.0 ascii\nSeparator { Cube { } Sphere { radius } }\n' >"$work/broken.wrl"
# outer WINDOW: left top right bottom with the manager's frame.
outer() {
  local l r t b
  geometry "$1"
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  echo $((X - l)) $((Y - t)) $((X + WIDTH + r)) $((Y + HEIGHT + b))
}
check_placement() {
  local held=$1
  [ "$held" = held ] && kill -STOP $manager
  "$program" --chat "$work/broken.wrl" >"$work/out" 2>&1 &
  pid=$!
  [ "$held" = held ] && { sleep 0.2; kill -CONT $manager; }
  poll 60 found_window '^Lumenfold$' || fail "no main window"
  window=$found
  poll 60 found_window '^Messages$' || fail "no Messages window for the reader's error"
  messages=$found
  poll 60 found_window '^Chat$' || fail "no chat window"
  chat=$found
  poll 30 framed "$messages" && poll 30 framed "$chat" || fail "Messages and Chat are not framed"
  sleep 1  # let the manager settle the frames it placed
  import -window root "$work/placed-$held.png"
  read -r ml mt mr mb < <(outer "$window")
  for other in "$messages" "$chat"; do
    read -r l t r b < <(outer "$other")
    name=$(xdotool getwindowname "$other")
    echo "$held: $name at $l,$t-$r,$b beside the main window at $ml,$mt-$mr,$mb"
    [ "$l" -ge 0 ] && [ "$t" -ge 0 ] && [ "$r" -le 1280 ] && [ "$b" -le 1024 ] || fail "$name is off the screen"
    [ "$l" -ge "$mr" ] || [ "$t" -ge "$mb" ] || fail "$held: $name covers the main window"
  done
  geometry "$messages"
  [ "$Y" -gt "$mb" ] || fail "Messages is not below the main window"
  geometry "$chat"
  [ "$X" -gt "$mr" ] || fail "Chat is not right of the main window"
  xprop -id "$messages" WM_TRANSIENT_FOR | grep -qi "$(printf '0x%x' "$window")" ||
    fail "Messages is not transient for the main window: $(xprop -id "$messages" WM_TRANSIENT_FOR)"
  kill $pid && wait $pid
  pid=
}
check_placement on-time
check_placement held
keep_shots
echo "passed"
