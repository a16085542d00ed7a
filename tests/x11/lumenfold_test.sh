#!/usr/bin/env bash
# Runs the program on a private Xvfb server with a world: a screenshot shows
# the world drawn in the view; xdotool types a second world's absolute path
# into the location bar and presses Return, and the view changes; the close
# box ends the program with status 0. Skipped (77) without Xvfb, xdotool or
# ImageMagick.
#   lumenfold_test.sh PROGRAM FIRST.wrl SECOND.wrl
set -u
program="$1"
first="$(realpath "$2")"
second="$(realpath "$3")"
for tool in Xvfb xdotool import convert compare; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; [ -n "${pid:-}" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export LUMENFOLD_HOME="$work/home"
fail() { echo "FAILED: $*"; cat "$work/out"; exit 1; }

"$program" "$first" >"$work/out" 2>&1 &
pid=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^Lumenfold$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no main window"
eval "$(xdotool getwindowgeometry --shell "$window")"  # X Y WIDTH HEIGHT of the main window
sleep 2

# The view: the client area below the caption (19) and the location bar (28),
# inside the frame (4) and the view's margins.
view="$((WIDTH - 60))x$((HEIGHT - 90))+$((X + 25))+$((Y + 60))"
shot() { import -window root "$work/$1.png"; convert "$work/$1.png" -crop "$view" +repage "$work/$1-view.png"; }
covered() { convert "$work/$1-view.png" -fill white +opaque black -colorspace gray -format '%[fx:mean]' info:; }

# The Messages window shows the program's start-up lines (the sound output
# chosen) over the main window: its Close button hides it.
messages=$(xdotool search --onlyvisible --name '^Messages$' 2>/dev/null | head -1)
if [ -n "$messages" ]; then
  eval "$(xdotool getwindowgeometry --shell "$messages" | sed 's/^/M/')"
  xdotool mousemove $((MX + MWIDTH / 2 - 10)) $((MY + MHEIGHT - 23)) click 1
  sleep 1
fi

shot first
awk -v c="$(covered first)" 'BEGIN { exit !(c > 0.05) }' || fail "the view shows no world ($(covered first) covered)"

# The location field sits centred in the bar, right of its label; without a
# window manager the keyboard follows the pointer. Its text is selected and
# typed over (keys closer together than the server's repeat count as one).
xdotool mousemove $((X + WIDTH / 2 + 20)) $((Y + 35)) click 1
sleep 0.3
xdotool key End
sleep 0.2
xdotool key shift+Home
sleep 0.2
xdotool type --delay 30 "file://$second"
xdotool key Return
changed=0
for _ in $(seq 10); do
  sleep 1
  shot second
  changed=$(compare -metric AE "$work/first-view.png" "$work/second-view.png" null: 2>&1 | cut -d' ' -f1)
  [ "${changed%.*}" -gt 1000 ] && break
done
[ -n "${LUMENFOLD_KEEP_SHOTS:-}" ] && cp "$work"/*.png "$LUMENFOLD_KEEP_SHOTS"/
[ "${changed%.*}" -gt 1000 ] || fail "the second world did not show ($changed pixels changed)"
awk -v c="$(covered second)" 'BEGIN { exit !(c > 0.05) }' || fail "the view shows no second world"

xdotool mousemove $((X + WIDTH - 13)) $((Y + 12)) click 1   # the close box
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the program did not end"
wait $pid
status=$?
pid=""
[ "$status" -eq 0 ] || fail "status $status"
echo "passed"
