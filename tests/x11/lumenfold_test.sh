#!/usr/bin/env bash
# Runs the program on a private Xvfb server with a world: a screenshot shows
# the world drawn in the view; xdotool types a second world's absolute path
# into the location bar and presses Return, and the view changes; the close
# box ends the program with status 0.
#   lumenfold_test.sh PROGRAM FIRST.wrl SECOND.wrl
set -u
program="$1"
first="$(realpath "$2")"
second="$(realpath "$3")"
source "$(dirname "$0")/program_session.sh"

start_program "$program" "$first"
poll 60 shows_world first || fail "the view shows no world ($(covered first) covered)"
settle first

type_location "file://$second"
# A loaded machine may show the view cleared between the worlds for a while:
# wait until the second world is drawn, not only until the view changed.
second_shown() { shows_world second && [ "$(changed_pixels first second)" -gt 1000 ]; }
poll 60 second_shown
keep_shots
changed=$(changed_pixels first second)
[ "$changed" -gt 1000 ] || fail "the second world did not show ($changed pixels changed)"
awk -v c="$(covered second)" 'BEGIN { exit !(c > 0.05) }' || fail "the view shows no second world"

close_program
echo "passed"
