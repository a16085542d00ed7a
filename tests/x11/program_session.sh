# Sourced by the tests that run the program on a private Xvfb server: starts
# the server and the program, finds the main window, hides the Messages
# window, takes pictures of the view and counts the pixels that changed.
# Skips (77) without Xvfb, xdotool or ImageMagick.
#   start_program PROGRAM WORLD   sets pid, window, X Y WIDTH HEIGHT, view
#                                 (its crop geometry) and vx vy (its corner)
#   poll 60 shows_world NAME      waits for the world drawn in the view
#   settle NAME                   waits for the view to stand still
#   type_location TEXT            types TEXT into the location bar, Return
XVFB_TOOLS="Xvfb xdotool import convert compare"
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
export LUMENFOLD_HOME="$work/home"
fail() { echo "FAILED: $*"; cat "$work/out"; exit 1; }

start_program() {
  "$1" "$2" >"$work/out" 2>&1 &
  pid=$!
  if ! poll 60 found_window '^Lumenfold$'; then
    program_state
    fail "no main window ($state; shown:$(shown_windows))"
  fi
  window=$found
  eval "$(xdotool getwindowgeometry --shell "$window")"  # X Y WIDTH HEIGHT of the main window
  # The view, a little inside its edges: the client area below the frame
  # (4), the caption (19), the menu bar (19) and the location bar (28), left
  # of the command toolbar (47 with the view's margin of 18) and above the
  # navigation toolbar (24 with the margins of 31).
  vx=$((X + 25)); vy=$((Y + 76))
  view="$((WIDTH - 85))x$((HEIGHT - 113))+$vx+$vy"
  # A Messages window that a world's lines opened is hidden by its Close button.
  if found_window '^Messages$'; then
    eval "$(xdotool getwindowgeometry --shell "$found" | sed 's/^/M/')"
    xdotool mousemove $((MX + MWIDTH / 2 - 10)) $((MY + MHEIGHT - 23)) click 1
    poll 30 gone_window '^Messages$' || fail "the Messages window stays over the view"
  fi
}

shot() { import -window root "$work/$1.png"; convert "$work/$1.png" -crop "$view" +repage "$work/$1-view.png"; }
covered() { convert "$work/$1-view.png" -fill white +opaque black -colorspace gray -format '%[fx:mean]' info:; }
changed_pixels() { compare -metric AE "$work/$1-view.png" "$work/$2-view.png" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1; }
# A picture of the view as NAME that shows a world: a twentieth of it not black.
shows_world() { shot "$1"; awk -v c="$(covered "$1")" 'BEGIN { exit !(c > 0.05) }'; }
# The view as NAME once two pictures of it a second apart are alike: a slow
# machine may still be drawing the last steps of a move.
settle() { shot "$1"; poll 30 still "$1" || fail "the view does not stand still"; }
still() {
  mv "$work/$1-view.png" "$work/$1-earlier-view.png"
  sleep 1
  shot "$1"
  [ "$(changed_pixels "$1-earlier" "$1")" -lt 50 ]
}

# The location field sits centred in the bar under the menu bar, right of
# its label; without a window manager the keyboard follows the pointer. Its
# text is selected and typed over with TEXT and Return (keys closer together
# than the server's repeat count as one).
type_location() {
  xdotool mousemove $((X + WIDTH / 2 + 20)) $((Y + 55)) click 1
  sleep 0.3
  xdotool key End
  sleep 0.2
  xdotool key shift+Home
  sleep 0.2
  xdotool type --delay 30 "$1"
  xdotool key Return
}

close_program() {
  xdotool mousemove $((X + WIDTH - 13)) $((Y + 12)) click 1   # the close box
  poll 60 ended $pid || fail "the program did not end"
  wait $pid
  local status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "status $status"
}
# Whether the program still runs, in $state.
program_state() {
  state="the program runs"
  ended $pid || return 0
  wait $pid
  state="the program ended with status $?"
}
