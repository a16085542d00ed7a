# Sourced by the tests that need an X display: skips (77) when a tool named
# in XVFB_TOOLS (default: Xvfb xdotool) is missing, starts a private Xvfb
# server of 800 x 600 and exports its DISPLAY, gives a fresh folder in
# $work, and removes both on exit, with the process in $pid if one is left.
for tool in ${XVFB_TOOLS:-Xvfb xdotool}; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; [ -n "${pid:-}" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
