#!/usr/bin/env bash
# A program with its chat window open meets, through the stand-in world
# server, a user whose avatar lives on a web server. The avatar is fetched
# while the program keeps drawing (its frames and windows served between the
# transfer's steps), and the moves and chat lines that user sends after it
# all arrive: the program's count of chat lines shown equals the count sent,
# and its view shows the avatar (a green box). LUMENFOLD_KEEP_SHOTS=DIR keeps
# the screenshots.
#   multiuser_web_avatar_test.sh PROGRAM WORLDSERVER CROWD WEBSERVER.py
set -u
program="$1"
worldserver="$2"
crowd="$3"
webserver="$4"
XVFB_TOOLS="Xvfb xdotool import convert python3"
source "$(dirname "$0")/xvfb.sh"
server="" web=""
fail() { echo "FAILED: $*"; for f in "$work"/*.out; do echo "== $f"; cat "$f"; done; exit 1; }
trap 'for p in $server $web; do kill "$p" 2>/dev/null; done; kill $xvfbs 2>/dev/null;
      [ -n "${pid:-}" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT

"$worldserver" >"$work/server.out" 2>&1 &
server=$!
poll 30 grep -q listening "$work/server.out"
port=$(sed -n 's/^listening on //p' "$work/server.out")
[ -n "$port" ] || fail "the world server did not start"

mkdir -p "$work/site"
cat >"$work/site/visitor.wrl" <<EOF
#VRML V1.0 ascii
Separator {
  Attributes { assignId TRUE }
  Material { diffuseColor 0.1 0.9 0.1 emissiveColor 0.1 0.6 0.1 }
  Translation { translation 0 0.8 0 }
  Cube { width 1.2 height 1.6 depth 1.2 }
}
EOF
python3 "$webserver" "$work/site" >"$work/web.out" 2>&1 &
web=$!
poll 30 test -s "$work/web.out" || fail "the web server did not start"
webport=$(head -1 "$work/web.out")

# The visitor walks a circle around (0, 0, -8), which the camera looks at.
cat >"$work/meeting.wrl" <<EOF
#VRML V1.0 ascii
Separator {
  DEF ZmServer Info { string "127.0.0.1:$port" }
  PerspectiveCamera { position 0 1.5 6 }
  DirectionalLight { direction -0.5 -1 -0.5 }
}
EOF

mkdir -p "$work/home"
LUMENFOLD_HOME="$work/home" "$program" --chat --frames 1000000 "$work/meeting.wrl" >"$work/program.out" 2>&1 &
pid=$!
poll 60 found_window '^Lumenfold$' || fail "no main window"
window=$found
poll 60 found_window '^Chat$' || fail "no chat window"
chat=$found
xdotool windowmove "$chat" 40 445 windowsize "$chat" 570 150
# The Messages window, when it shows, goes from over the view.
if poll 10 found_window '^Messages$'; then
  # It opens beside the main window, where the chat window was put: moved to
  # the corner, its Close button is clear of the chat window.
  xdotool windowmove "$found" 0 0
  at_corner() { eval "$(xdotool getwindowgeometry --shell "$found" | sed 's/^/M/')"; [ "$MX" -eq 0 ] && [ "$MY" -eq 0 ]; }
  poll 30 at_corner
  xdotool mousemove $((MX + MWIDTH / 2 - 10)) $((MY + MHEIGHT - 23)) click 1
  poll 30 gone_window '^Messages$' || fail "the Messages window stays over the view"
fi
joined() { grep -q "joined" "$work/server.out"; }
poll 60 joined || fail "the program did not join the server"

"$crowd" "$port" 1 1 4 5 0.5 "http://127.0.0.1:$webport/visitor.wrl" >"$work/crowd.out" 2>&1 ||
  fail "the visitor could not join"
sent=$(sed -n 's/^moves [0-9]* chat //p' "$work/crowd.out")
[ -n "$sent" ] && [ "$sent" -gt 0 ] || fail "the visitor sent no chat"

# The program's pictures: its view, and its chat pane.
shot() {
  import -window root "$work/$1.png"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  convert "$work/$1.png" -crop "$((WIDTH - 85))x$((HEIGHT - 113))+$((X + 25))+$((Y + 76))" +repage "$work/$1-view.png"
  eval "$(xdotool getwindowgeometry --shell "$chat")"
  convert "$work/$1.png" -crop "$((WIDTH - 20))x$((HEIGHT - 70))+$((X + 10))+$((Y + 28))" +repage "$work/$1-chat.png"
}
# Everything sent has been shown once the chat pane stands still.
still() {
  shot later
  mv "$work/later-chat.png" "$work/earlier-chat.png"
  sleep 1
  shot later
  [ "$(compare -metric AE "$work/earlier-chat.png" "$work/later-chat.png" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1)" -eq 0 ]
}
poll 60 still || { keep_shots; fail "the chat pane does not stand still"; }
keep_shots
green=$(share_of "$work/later-view.png" '(g-r)>0.25 && (g-b)>0.25')

eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH - 13)) $((Y + 12)) click 1
poll 60 ended "$pid" || fail "the program did not end"
wait "$pid"
pid=""
shown=$(sed -n 's/^frames .* chat //p' "$work/program.out")
[ "$shown" = "$sent" ] || fail "$sent chat lines sent, ${shown:-none} shown"
awk -v g="$green" 'BEGIN { exit !(g > 0.002) }' || fail "the visitor's avatar is not in the view (green share $green)"
echo "passed: $sent chat lines sent and shown, green share $green"
