#!/usr/bin/env bash
# Bookmarks through the menu bar of the program on a private Xvfb server:
# Alt+B opens the Bookmark menu (its pop-up shows over the view), A adds a
# bookmark of the world on show, Alt+B then V opens the bookmark dialog,
# whose list shows the thumbnail of the view; Escape closes it, and after
# the program ends the bookmark file and the thumbnail exist.
#   bookmarks_test.sh PROGRAM WORLD.wrl
set -u
program="$1"
world="$(realpath "$2")"
source "$(dirname "$0")/program_session.sh"

start_program "$program" "$world"
# Without a window manager the keyboard follows the pointer: over the view.
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
sleep 0.3
import -window root "$work/before.png"

xdotool key alt+b
sleep 0.5
import -window root "$work/menu.png"
# The pop-up hangs from the menu bar, under its fourth item.
opened=$(compare -metric AE -crop 200x80+$X+$((Y + 42)) "$work/before.png" "$work/menu.png" null: 2>&1 | cut -d' ' -f1)
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
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/D/')"
import -window root "$work/dialog.png"
# The first entry's thumbnail: 80 x 60 at the top left of the list, inside
# the dialog's frame (4), caption (19) and the list's margin and border (11).
convert "$work/dialog.png" -crop 80x60+$((DX + 15))+$((DY + 34)) +repage "$work/thumbnail.png"
keep_shots
lit=$(convert "$work/thumbnail.png" -fill white +opaque black -colorspace gray -format '%[fx:mean]' info:)
awk -v c="$lit" 'BEGIN { exit !(c > 0.3) }' || fail "the dialog shows no thumbnail ($lit of it lit)"

xdotool mousemove $((DX + DWIDTH / 2)) $((DY + DHEIGHT / 2))
sleep 0.2
xdotool key Escape
for _ in $(seq 30); do
  xdotool search --onlyvisible --name '^ViewBookmark$' >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^ViewBookmark$' >/dev/null 2>&1 && fail "Escape did not close the dialog"

close_program
grep -q 'LOC=' "$LUMENFOLD_HOME/landmark.htm" || fail "no bookmark in landmark.htm"
echo "passed"
