# Sourced by the tests that need an X display: skips (77) when a tool named
# in XVFB_TOOLS (default: Xvfb xdotool) is missing, starts a private Xvfb
# server of 800 x 600 and exports its DISPLAY, gives a fresh folder in
# $work, and removes both on exit, with the process in $pid if one is left.
# poll SECONDS COMMAND... runs the command every half second until it
# succeeds (0) or the seconds have gone (1): the tests wait with it for what
# a slow machine may show late, rather than sleep for a fixed time.
# share_of PICTURE CONDITION gives the part of the picture's pixels whose
# colour meets an awk condition on r, g and b (0 to 1, abs at hand), e.g.
# '(r-g)>0.1': counted from the picture's colour table, which stays quick
# on a loaded machine where a per-pixel expression would take seconds.
# shown_windows names the visible windows (for the message of a failure).
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

shown_windows() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    printf " '%s'" "$(xdotool getwindowname "$id" 2>/dev/null)"
  done
}

work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; [ -n "${pid:-}" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
poll 30 test -s "$work/display" || { echo "FAILED: Xvfb named no display"; exit 1; }
export DISPLAY=":$(cat "$work/display")"
# The server may name its display before it answers on a loaded machine.
answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }
poll 30 answers || { echo "FAILED: Xvfb does not answer on $DISPLAY"; exit 1; }
