#!/usr/bin/env bash
# Two programs meet through the stand-in world server, each on a private
# Xvfb server of its own with its chat window open under its main window.
# Ann walks forward and Bob's view shows her avatar (a green box) ahead;
# Ann writes a chat line and Bob's chat pane and a label over her avatar
# in his view show it; Ann closes her program and her avatar leaves Bob's
# world. LUMENFOLD_KEEP_SHOTS=DIR keeps the screenshots.
#   multiuser_chat_test.sh PROGRAM WORLDSERVER
set -u
program="$1"
worldserver="$2"
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
# another user's avatar stands until its first move arrives. The avatar the
# others see ("person.wrl", read beside the world) is a green box that its
# Switch hides when its user goes (its other child a speck, so that the
# Switch has a bounding box to put the label on). The box stands a unit beside its user:
# both users start at the world's camera, and one standing inside the
# other's avatar could not walk out of it.
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
cat >"$work/person.wrl" <<EOF
#VRML V1.0 ascii
Separator {
  Attributes { assignId TRUE }
  DEF Visitor Switch {
    whichChild 1
    Separator { Cube { width 0.01 height 0.01 depth 0.01 } }
    Separator {
      Material { diffuseColor 0.1 0.9 0.1 emissiveColor 0.1 0.6 0.1 }
      Translation { translation 1 0.8 0 }
      Cube { width 0.6 height 1.6 depth 0.6 }
    }
  }
}
EOF

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
    eval "$(DISPLAY=$2 xdotool getwindowgeometry --shell "$found" | sed 's/^/M/')"
    DISPLAY=$2 xdotool mousemove $((MX + MWIDTH / 2 - 10)) $((MY + MHEIGHT - 23)) click 1
    DISPLAY=$2 poll 30 gone_window '^Messages$' || fail "$1: the Messages window stays over the view"
  fi
}

start ann "$displayA" homeA
start bob "$displayB" homeB
pid=$ann_pid pidB=$bob_pid
both_joined() { [ "$(grep -c joined "$work/server.out")" -ge 2 ]; }
poll 60 both_joined
grep -q 'joined as "Ann"' "$work/server.out" || fail "Ann did not join under her nickname"
grep -q 'joined as "Bob"' "$work/server.out" || fail "Bob did not join under his nickname"

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
green() { share "$1-view" '(g-r)>0.25 && (g-b)>0.25'; }
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
sees_ann() { shot walked; awk -v g="$(green walked)" 'BEGIN { exit !(g > 0.01) }'; }
chat_shown() {
  shot chatted
  awk -v a="$(label_grey walked)" -v b="$(label_grey chatted)" -v c="$(white start)" -v d="$(white chatted)" \
    'BEGIN { exit !(b > a + 0.005 && d > c + 0.002) }'
}
ann_gone() { shot left; awk -v g="$(green left)" 'BEGIN { exit !(g < 0.001) }'; }

# Ann's whole transform reaches Bob within five seconds: her avatar stands
# beside him, not ahead of him.
sleep 5
settle start

# Ann walks forward: she moves away from Bob's eye into his view.
eval "$(DISPLAY=$displayA xdotool getwindowgeometry --shell "$ann_window")"
DISPLAY=$displayA xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
# Up is tapped, a step a tap however the ticks fall, until Bob sees her: a
# held key would carry her far out of his sight on a fast machine, and her
# position reaches him at most once a second.
for _ in $(seq 30); do
  DISPLAY=$displayA xdotool key Up
  poll 3 sees_ann && break
done
settle walked  # the last position on its way
awk -v a="$(green start)" -v b="$(green walked)" 'BEGIN { exit !(b > 0.01 && b > 3 * a) }' ||
  { keep_shots; fail "Bob does not see Ann's avatar ahead (green share $(green start) -> $(green walked))"; }

# Ann writes into her chat window's field and presses Return.
eval "$(DISPLAY=$displayA xdotool getwindowgeometry --shell "$ann_chat")"
DISPLAY=$displayA xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 19)) click 1
DISPLAY=$displayA xdotool type --delay 40 "hello from Ann"
DISPLAY=$displayA xdotool key Return
poll 30 chat_shown
awk -v a="$(label_grey walked)" -v b="$(label_grey chatted)" 'BEGIN { exit !(b > a + 0.005) }' ||
  { keep_shots; fail "no chat label over Ann's avatar in Bob's view ($(label_grey walked) -> $(label_grey chatted))"; }
awk -v a="$(white start)" -v b="$(white chatted)" 'BEGIN { exit !(b > a + 0.002) }' ||
  { keep_shots; fail "Bob's chat pane shows no line ($(white start) -> $(white chatted))"; }

# Ann's close box: she leaves, and her avatar leaves Bob's world.
eval "$(DISPLAY=$displayA xdotool getwindowgeometry --shell "$ann_window")"
DISPLAY=$displayA xdotool mousemove $((X + WIDTH - 13)) $((Y + 12)) click 1
poll 60 ended "$ann_pid" || fail "Ann's program did not end"
wait "$ann_pid" || fail "Ann's program ended with status $?"
pid=""
poll 30 ann_gone
keep_shots
awk -v g="$(green left)" 'BEGIN { exit !(g < 0.001) }' || fail "Ann's avatar stays in Bob's world ($(green left))"
poll 30 grep -q "client 1 left" "$work/server.out" || fail "the server did not see Ann leave"

eval "$(DISPLAY=$displayB xdotool getwindowgeometry --shell "$bob_window")"
DISPLAY=$displayB xdotool mousemove $((X + WIDTH - 13)) $((Y + 12)) click 1
poll 60 ended "$bob_pid" || fail "Bob's program did not end"
wait "$bob_pid" || fail "Bob's program ended with status $?"
pidB=""
echo "passed"
