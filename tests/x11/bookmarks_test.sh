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

# The pop-up hangs from the menu bar, under its fourth item.
menu_open() {
  import -window root "$work/menu.png"
  opened=$(compare -metric AE -crop 250x80+$X+$((Y + 42)) "$work/before.png" "$work/menu.png" null: 2>&1 | cut -d' ' -f1)
  [ "${opened%.*}" -gt 500 ]
}
thumbnail_shown() {
  import -window root "$work/dialog.png"
  convert "$work/dialog.png" -crop 80x60+$((DX + 14))+$((DY + 32)) +repage "$work/thumbnail.png"
  grey=$(share_of "$work/thumbnail.png" 'abs(r-g)<0.05 && abs(g-b)<0.05 && r>0.4')
  awk -v c="$grey" 'BEGIN { exit !(c > 0.15) }'
}

start_program "$program" "$world"
# The view takes the keys once it has been clicked, as a user does.
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
poll 60 shows_world start || fail "the view shows no world"
settle start
import -window root "$work/before.png"

xdotool key alt+b
poll 30 menu_open || fail "Alt+B opened no menu ($opened pixels changed)"
xdotool key a
poll 30 test -s "$LUMENFOLD_HOME/mark00.bmp" || fail "Add bookmark wrote no thumbnail"

xdotool key alt+b
poll 30 menu_open || fail "Alt+B opened no menu again ($opened pixels changed)"
xdotool key v
poll 60 found_window '^ViewBookmark$' || fail "View Bookmark opened no dialog"
eval "$(xdotool getwindowgeometry --shell "$found" | sed 's/^/D/')"
# The dialog's client area starts inside its frame (3) and caption (21); the
# first entry's thumbnail, 80 x 60, inside the list's margin and border
# (11). Its grey ground shows once the list has painted.
poll 30 thumbnail_shown
keep_shots
awk -v c="$grey" 'BEGIN { exit !(c > 0.15) }' || fail "the dialog shows no thumbnail ($grey of it ground)"

xdotool mousemove $((DX + 225)) $((DY + 328)) click 1   # CANCEL
poll 30 gone_window '^ViewBookmark$' || fail "CANCEL did not close the dialog"

close_program
grep -q 'LOC=' "$LUMENFOLD_HOME/landmark.htm" || fail "no bookmark in landmark.htm"
echo "passed"
