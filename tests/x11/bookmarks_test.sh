#!/usr/bin/env bash
# Bookmarks through the menu bar of the program on a private Xvfb server:
# Alt+B opens the Bookmark menu (its pop-up shows over the view), A adds a
# bookmark of the world on show, Alt+B then V opens the bookmark dialog,
# whose list shows the thumbnail of the view; CANCEL closes it, and after
# the program ends the bookmark file exists.
#   bookmarks_test.sh PROGRAM WORLD.wrl
set -u
program="$1"
world="$(realpath "$2")"
source "$(dirname "$0")/program_session.sh"

start_program "$program" "$world"
# The view takes the keys once it has been clicked, as a user does.
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
sleep 0.5
import -window root "$work/before.png"

xdotool key alt+b
sleep 0.5
import -window root "$work/menu.png"
# The pop-up hangs from the menu bar, under its fourth item.
opened=$(compare -metric AE -crop 250x80+$X+$((Y + 42)) "$work/before.png" "$work/menu.png" null: 2>&1 | cut -d' ' -f1)
[ "${opened%.*}" -gt 500 ] || fail "Alt+B opened no menu ($opened pixels changed)"
xdotool key a
sleep 1
[ -s "$LUMENFOLD_HOME/mark00.bmp" ] || fail "Add bookmark wrote no thumbnail"

xdotool key alt+b
sleep 0.5
xdotool key v
dialog=""
for _ in $(seq 30); do
  dialog=$(xdotool search --onlyvisible --name '^ViewBookmark$' 2>/dev/null | head -1)
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || fail "View Bookmark opened no dialog"
eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/D/')"
# The dialog's client area starts inside its frame (3) and caption (21); the
# first entry's thumbnail, 80 x 60, inside the list's margin and border
# (11). Its grey ground shows once the list has painted.
grey=0
for _ in $(seq 20); do
  sleep 0.25
  import -window root "$work/dialog.png"
  convert "$work/dialog.png" -crop 80x60+$((DX + 14))+$((DY + 32)) +repage "$work/thumbnail.png"
  grey=$(convert "$work/thumbnail.png" -fx '(abs(r-g)<0.05 && abs(g-b)<0.05 && r>0.4)' -format '%[fx:mean]' info:)
  awk -v c="$grey" 'BEGIN { exit !(c > 0.15) }' && break
done
keep_shots
awk -v c="$grey" 'BEGIN { exit !(c > 0.15) }' || fail "the dialog shows no thumbnail ($grey of it ground)"

xdotool mousemove $((DX + 225)) $((DY + 328)) click 1   # CANCEL
for _ in $(seq 30); do
  xdotool search --onlyvisible --name '^ViewBookmark$' >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^ViewBookmark$' >/dev/null 2>&1 && fail "CANCEL did not close the dialog"

close_program
grep -q 'LOC=' "$LUMENFOLD_HOME/landmark.htm" || fail "no bookmark in landmark.htm"
echo "passed"
