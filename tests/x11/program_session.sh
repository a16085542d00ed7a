# Sourced by the tests that run the program on a private Xvfb server: starts
# the server and the program, finds the main window, hides the Messages
# window, takes pictures of the view and counts the pixels that changed.
# Skips (77) without Xvfb, xdotool or ImageMagick.
#   start_program PROGRAM WORLD   sets pid, window, X Y WIDTH HEIGHT, view
#                                 (its crop geometry) and vx vy (its corner)
XVFB_TOOLS="Xvfb xdotool import convert compare"
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
export LUMENFOLD_HOME="$work/home"
fail() { echo "FAILED: $*"; cat "$work/out"; exit 1; }

start_program() {
  "$1" "$2" >"$work/out" 2>&1 &
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
  # The view, a little inside its edges: the client area below the frame
  # (4), the caption (19), the menu bar (19) and the location bar (28), left
  # of the command toolbar (47 with the view's margin of 18) and above the
  # navigation toolbar (24 with the margins of 31).
  vx=$((X + 25)); vy=$((Y + 76))
  view="$((WIDTH - 85))x$((HEIGHT - 113))+$vx+$vy"
  # The Messages window shows the start-up lines (the sound output chosen)
  # over the main window: its Close button hides it.
  local messages
  messages=$(xdotool search --onlyvisible --name '^Messages$' 2>/dev/null | head -1)
  if [ -n "$messages" ]; then
    eval "$(xdotool getwindowgeometry --shell "$messages" | sed 's/^/M/')"
    xdotool mousemove $((MX + MWIDTH / 2 - 10)) $((MY + MHEIGHT - 23)) click 1
    sleep 1
  fi
}

shot() { import -window root "$work/$1.png"; convert "$work/$1.png" -crop "$view" +repage "$work/$1-view.png"; }
covered() { convert "$work/$1-view.png" -fill white +opaque black -colorspace gray -format '%[fx:mean]' info:; }
changed_pixels() { compare -metric AE "$work/$1-view.png" "$work/$2-view.png" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1; }
keep_shots() { [ -n "${LUMENFOLD_KEEP_SHOTS:-}" ] && cp "$work"/*.png "$LUMENFOLD_KEEP_SHOTS"/; true; }

close_program() {
  xdotool mousemove $((X + WIDTH - 13)) $((Y + 12)) click 1   # the close box
  for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && fail "the program did not end"
  wait $pid
  local status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "status $status"
}
