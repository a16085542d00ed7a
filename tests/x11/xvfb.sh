# Sourced by the tests that need an X display: skips (77) when a tool named
# in XVFB_TOOLS (default: Xvfb xdotool) is missing, starts a private Xvfb
# server of XVFB_SCREEN (default 800x600x24) and exports its DISPLAY, gives a fresh folder in
# $work, and removes both on exit, with the process in $pid if one is left.
#   start_xvfb               one more server, its display in $xvfb_display
#   poll SECONDS COMMAND...  runs the command every half second until it
#                            succeeds (0) or the seconds have gone (1): the
#                            tests wait with it for what a slow machine may
#                            show late, rather than sleep for a fixed time
#   found_window PATTERN     the first visible window so named, in $found
#   gone_window PATTERN      no visible window so named
#   ended PID                the process has gone
#   share_of PICTURE CONDITION
#                            the part of the picture's pixels whose colour
#                            meets an awk condition on r, g and b (0 to 1,
#                            abs at hand), e.g. '(r-g)>0.1': counted from the
#                            picture's colour table, which stays quick on a
#                            loaded machine where a per-pixel expression
#                            would take seconds
#   shown_windows            names the visible windows (for a failure)
#   keep_shots               copies the pictures to $LUMENFOLD_KEEP_SHOTS
# The window functions look at $DISPLAY; `DISPLAY=:N poll 30 found_window
# NAME` looks at another server.
for tool in ${XVFB_TOOLS:-Xvfb xdotool}; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done

poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.5
  done
}

share_of() {
  local condition=$2
  convert "$1" -depth 8 -format %c histogram:info:- | awk -F '[(),:]+' "
    function abs(x) { return x < 0 ? -x : x }
    { r = \$3 / 255; g = \$4 / 255; b = \$5 / 255; all += \$1; if ($condition) part += \$1 }
    END { print (all > 0 ? part / all : 0) }"
}

found_window() { found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1); [ -n "$found" ]; }
gone_window() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
ended() { ! kill -0 "$1" 2>/dev/null; }
keep_shots() { [ -n "${LUMENFOLD_KEEP_SHOTS:-}" ] && cp "$work"/*.png "$LUMENFOLD_KEEP_SHOTS"/; true; }

shown_windows() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    printf " '%s'" "$(xdotool getwindowname "$id" 2>/dev/null)"
  done
}

# The server may name its display before it answers on a loaded machine.
answers() { DISPLAY=$1 xdotool getdisplaygeometry >/dev/null 2>&1; }
xvfbs=""
# -noreset: a server whose last client leaves resets, and refuses the
# connections made meanwhile; the first answer, or a program closed before
# the next starts, would otherwise race the reset.
start_xvfb() {
  local named
  named=$(mktemp -p "$work" display.XXXXXX)
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-800x600x24}" -nolisten tcp -noreset 3>"$named" 2>/dev/null &
  xvfbs="$xvfbs $!"
  poll 30 test -s "$named" || { echo "FAILED: Xvfb named no display"; exit 1; }
  xvfb_display=":$(cat "$named")"
  poll 30 answers "$xvfb_display" || { echo "FAILED: Xvfb does not answer on $xvfb_display"; exit 1; }
}

work=$(mktemp -d)
trap 'kill $xvfbs 2>/dev/null; [ -n "${pid:-}" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
start_xvfb
export DISPLAY=$xvfb_display
