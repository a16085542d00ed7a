#!/usr/bin/env bash
# Runs the window demo on a private Xvfb server and drags files onto it from
# another program (xdndsource): a drag offering only plain text is refused,
# one offering a file URI list is accepted and the demo reports both files,
# the blank in one name decoded, at the drop point in its client area; a
# malformed list, offered among other types, is taken but delivers nothing.
# Skipped (77) without Xvfb or xdotool.
set -u
demo="$1"
source_program="$2"
XVFB_TOOLS="Xvfb xdotool"
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
"$demo" >"$work/out" 2>&1 &
pid=$!
poll 30 grep -q ready "$work/out"
fail() { echo "FAILED: $*"; echo "--- demo:"; cat "$work/out"; echo "--- source:"; cat "$work/source" 2>/dev/null; exit 1; }
grep -q "presenter x11" "$work/out" || fail "the demo did not open the display"
read -r _ left top _ _ < <(grep '^window ' "$work/out")
drop_x=300 drop_y=250   # inside the client area, clear of the edit field and the button

"$source_program" $drop_x $drop_y --offer text/plain "$work/ignored.wrl" >"$work/source" 2>&1 ||
  fail "the plain-text drag got no answer"
grep -qx "status accepted=0" "$work/source" || fail "a drag without a file list was accepted"

"$source_program" $drop_x $drop_y "$work/a.wrl" "$work/my world.wrl" >"$work/source" 2>&1 ||
  fail "the file drag got no answer"
grep -qx "status accepted=1" "$work/source" || fail "the file drag was refused"
grep -qx "finished accepted=1" "$work/source" || fail "the drop did not finish as accepted"
both_dropped() { [ "$(grep -c '^dropped ' "$work/out")" -ge 2 ]; }
poll 30 both_dropped
at="at $((drop_x - left)) $((drop_y - top))"
grep -qxF "dropped \"$work/a.wrl\" $at" "$work/out" || fail "the first file is not reported $at"
grep -qxF "dropped \"$work/my world.wrl\" $at" "$work/out" || fail "the file with a blank is not reported $at"
grep -q "ignored.wrl" "$work/out" && fail "the refused drag was delivered"

"$source_program" $drop_x $drop_y --type-list --list $'file:///tmp/good.wrl\r\nfile:///tmp/bad%zz.wrl\r\n' \
  >"$work/source" 2>&1 || fail "the malformed drag got no answer"
grep -qx "status accepted=1" "$work/source" || fail "a file list among four types was refused"
grep -qx "finished accepted=0" "$work/source" || fail "the malformed list was reported as taken"
sleep 0.3
grep -q "good.wrl" "$work/out" && fail "a file of the malformed list was delivered"

xdotool mousemove 395 52 click 1                     # the close box
wait $pid
status=$?
[ "$status" -eq 0 ] || fail "status $status"
echo "passed"
