#!/usr/bin/env bash
# The README's recipe for two users, with the shipped avatar: two programs
# meet through the stand-in world server, each on a private Xvfb server of
# its own, each with a home of its own, the world naming the server and the
# shipped person.wrl copied beside it. Ann comes first and walks ahead;
# Bob comes and his view shows her avatar (the shipped figure, blue) ahead
# of him, and it moves as she walks on; Ann writes a chat line and Bob's
# chat pane and a label over her avatar in his view show it; Ann closes her
# program and the server sees her leave.
# LUMENFOLD_KEEP_SHOTS=DIR keeps the screenshots.
#   multiuser_chat_test.sh PROGRAM WORLDSERVER SHIPPED_AVATAR
set -u
program="$1"
worldserver="$2"
avatar="$3"
XVFB_TOOLS="Xvfb xdotool import convert"
source "$(dirname "$0")/xvfb.sh"
displayA="$DISPLAY"
pidB="" server=""
fail() { echo "FAILED: $*"; for f in "$work"/*.out; do echo "== $f"; cat "$f"; done; exit 1; }
cleanup() { for p in $pidB $server; do kill "$p" 2>/dev/null; done; }
trap 'cleanup; kill $xvfbs 2>/dev/null; [ -n "${pid:-}" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT

# Bob's own X server.
start_xvfb
displayB=$xvfb_display

"$worldserver" >"$work/server.out" 2>&1 &
server=$!
poll 30 grep -q listening "$work/server.out"
port=$(sed -n 's/^listening on //p' "$work/server.out")
[ -n "$port" ] || fail "the world server did not start"

# The world names the server; its camera looks away from the origin, where
# another user's avatar stands until its first move arrives. Every user
# starts at the world's camera: Ann walks ahead before Bob comes, since a
# user who starts inside another's avatar cannot walk out of it.
cat >"$work/meeting.wrl" <<EOF
#VRML V1.0 ascii
Separator {
  DEF ZmServer Info { string "127.0.0.1:$port" }
  PerspectiveCamera { position 0 1.5 6 orientation 0 1 0 3.14159 }
  DirectionalLight { direction -0.5 -1 -0.5 }
  Separator {
    Material { diffuseColor 0.3 0.3 0.35 }
    Transform { translation 0 -0.05 0 }
    Cube { width 30 height 0.1 depth 30 }
  }
}
EOF
cp "$avatar" "$work/person.wrl"

# Each user's nickname waits in the registry of a home of their own.
seed_home() {
  mkdir -p "$work/$1"
  printf '[HKEY_CURRENT_USER\\Software\\Orvane Corporation\\Lumenfold\\User]\n"NickName"=sz:"%s"\n' "$2" \
    >"$work/$1/registry"
}
seed_home homeA Ann
seed_home homeB Bob

# start NAME DISPLAY HOME: the program with its chat window open; sets
# NAME_window and NAME_pid, moves the chat window under the main window and
# hides the Messages window. The chat window opens once the start-up is
# over, after the Messages window has shown its lines.
start() {
  DISPLAY=$2 LUMENFOLD_HOME="$work/$3" "$program" --chat "$work/meeting.wrl" >"$work/$1.out" 2>&1 &
  eval "$1_pid=$!"
  DISPLAY=$2 poll 60 found_window '^Lumenfold$' || fail "$1: no main window"
  eval "$1_window=$found"
  DISPLAY=$2 poll 60 found_window '^Chat$' || fail "$1: no chat window"
  eval "$1_chat=$found"
  DISPLAY=$2 xdotool windowmove "$found" 40 445 windowsize "$found" 570 150
  if DISPLAY=$2 poll 10 found_window '^Messages$'; then
    # It opens beside the main window, where the chat window was put: moved to
    # the corner, its Close button is clear of the chat window.
    DISPLAY=$2 xdotool windowmove "$found" 0 0
    at_corner() { eval "$(xdotool getwindowgeometry --shell "$found" | sed 's/^/M/')"; [ "$MX" -eq 0 ] && [ "$MY" -eq 0 ]; }
    DISPLAY=$2 poll 30 at_corner
    DISPLAY=$2 xdotool mousemove $((MX + MWIDTH / 2 - 10)) $((MY + MHEIGHT - 23)) click 1
    DISPLAY=$2 poll 30 gone_window '^Messages$' || fail "$1: the Messages window stays over the view"
  fi
}

# tap NAME TIMES: Up held for 60 ms in NAME's view, TIMES times: walking
# follows the clock, so each tap carries her about one step whatever the
# frame rate.
tap() {
  local display window
  display=$(eval echo "\$display_$1") window=$(eval echo "\$$1_window")
  eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")"
  DISPLAY=$display xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
  for _ in $(seq "$2"); do DISPLAY=$display xdotool keydown Up sleep 0.06 keyup Up; sleep 0.2; done
}
display_ann=$displayA display_bob=$displayB

start ann "$displayA" homeA
pid=$ann_pid
poll 60 grep -q 'joined as "Ann"' "$work/server.out" || fail "Ann did not join under her nickname"
tap ann 8
start bob "$displayB" homeB
pidB=$bob_pid
poll 60 grep -q 'joined as "Bob"' "$work/server.out" || fail "Bob did not join under his nickname"

# Pictures of Ann's screen and of Bob's, with his view (the main window's
# client area under the caption, the menu bar and the location bar, between
# the toolbars; see program_session.sh) and his chat pane.
shot() {
  DISPLAY=$displayA import -window root "$work/$1-ann.png"
  DISPLAY=$displayB import -window root "$work/$1.png"
  eval "$(DISPLAY=$displayB xdotool getwindowgeometry --shell "$bob_window")"
  convert "$work/$1.png" -crop "$((WIDTH - 85))x$((HEIGHT - 113))+$((X + 25))+$((Y + 76))" +repage "$work/$1-view.png"
  eval "$(DISPLAY=$displayB xdotool getwindowgeometry --shell "$bob_chat")"
  convert "$work/$1.png" -crop "$((WIDTH - 20))x$((HEIGHT - 70))+$((X + 10))+$((Y + 28))" +repage "$work/$1-chat.png"
}
share() { share_of "$work/$1.png" "$2"; }
# The shipped avatar's blue body.
blue() { share "$1-view" '(b-r)>0.25 && (b-g)>0.15'; }
# The label's grey (0xC0C0C0) as the view's 16-bit frame shows it.
label_grey() { share "$1-view" 'r>0.74 && r<0.79 && abs(g-r)<0.02 && abs(b-r)<0.02'; }
white() { share "$1-chat" 'r>0.9 && g>0.9 && b>0.9'; }
# Bob's pictures as NAME once two taken a second and a half apart (longer
# than between two of Ann's position reports) show his view alike.
settle() { shot "$1"; poll 30 still "$1" || { keep_shots; fail "Bob's view does not stand still"; }; }
still() {
  mv "$work/$1-view.png" "$work/$1-earlier-view.png"
  sleep 1.5
  shot "$1"
  [ "$(compare -metric AE "$work/$1-earlier-view.png" "$work/$1-view.png" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1)" -lt 50 ]
}
sees_ann() { shot ahead; awk -v g="$(blue ahead)" 'BEGIN { exit !(g > 0.002) }'; }
# Bob's view has changed since the picture "ahead" where Ann's avatar is.
ann_moved() {
  shot walked
  [ "$(compare -metric AE "$work/ahead-view.png" "$work/walked-view.png" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1)" -gt 50 ]
}
chat_shown() {
  shot chatted
  awk -v a="$(label_grey walked)" -v b="$(label_grey chatted)" -v c="$(white walked)" -v d="$(white chatted)" \
    'BEGIN { exit !(b > a + 0.005 && d > c + 0.002) }'
}

# Ann's place reaches Bob when he comes: her avatar stands ahead of him.
poll 60 sees_ann || { keep_shots; fail "Bob does not see Ann's avatar ahead (blue share $(blue ahead))"; }
settle ahead

# Ann walks on, away from Bob: her avatar moves in his view. Her position
# reaches him at most once a second.
for _ in $(seq 10); do
  tap ann 2
  poll 3 ann_moved && break
done
settle walked  # the last position on its way
ann_moved || { keep_shots; fail "Ann's avatar stands still in Bob's view"; }
awk -v a="$(blue ahead)" -v b="$(blue walked)" 'BEGIN { exit !(b > 0 && b < a) }' ||
  { keep_shots; fail "Ann's avatar does not walk away from Bob (blue share $(blue ahead) -> $(blue walked))"; }

# Ann writes into her chat window's field and presses Return.
eval "$(DISPLAY=$displayA xdotool getwindowgeometry --shell "$ann_chat")"
DISPLAY=$displayA xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 19)) click 1
DISPLAY=$displayA xdotool type --delay 40 "hello from Ann"
DISPLAY=$displayA xdotool key Return
poll 30 chat_shown
awk -v a="$(label_grey walked)" -v b="$(label_grey chatted)" 'BEGIN { exit !(b > a + 0.005) }' ||
  { keep_shots; fail "no chat label over Ann's avatar in Bob's view ($(label_grey walked) -> $(label_grey chatted))"; }
awk -v a="$(white walked)" -v b="$(white chatted)" 'BEGIN { exit !(b > a + 0.002) }' ||
  { keep_shots; fail "Bob's chat pane shows no line ($(white walked) -> $(white chatted))"; }

# Ann's close box: she leaves. (The shipped avatar has no Switch to hide
# it, so it stays where she left it; the receive tests hide one that has.)
eval "$(DISPLAY=$displayA xdotool getwindowgeometry --shell "$ann_window")"
DISPLAY=$displayA xdotool mousemove $((X + WIDTH - 13)) $((Y + 12)) click 1
poll 60 ended "$ann_pid" || fail "Ann's program did not end"
wait "$ann_pid" || fail "Ann's program ended with status $?"
pid=""
keep_shots
poll 30 grep -q "client 1 left" "$work/server.out" || fail "the server did not see Ann leave"

eval "$(DISPLAY=$displayB xdotool getwindowgeometry --shell "$bob_window")"
DISPLAY=$displayB xdotool mousemove $((X + WIDTH - 13)) $((Y + 12)) click 1
poll 60 ended "$bob_pid" || fail "Bob's program did not end"
wait "$bob_pid" || fail "Bob's program ended with status $?"
pidB=""
echo "passed"
