#!/usr/bin/env bash
# Loads that fail or take long, on a private Xvfb server:
# - a world named on the command line that does not exist: the Messages
#   window says so and the view waits; a world typed into the location bar
#   is then drawn;
# - a URL to a port where nothing listens: the Messages window says so
#   within 5 s, the location bar shows the world on view again and Backward
#   shows the world before it (the failed one took no history step);
# - a world served slowly by the tests' web server: the view counts
#   "Loading" and the Stop button is enabled; Stop ends it, and the view and
#   the location bar show the world before again;
# - a world whose path has blanks, named on the command line, is drawn.
#   failed_loads_test.sh PROGRAM HELLO.wrl GALLERY.wrl WEBSERVER.py
set -u
program="$(realpath "$1")"
hello="$(realpath "$2")"
gallery="$(realpath "$3")"
webserver="$4"
source "$(dirname "$0")/program_session.sh"
server=""
fail() { keep_shots; echo "FAILED: $*"; cat "$work/out"; exit 1; }
trap 'kill $xvfbs $server 2>/dev/null; [ -n "${pid:-}" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT

# Places in the main window as it first opens (its size follows from
# constants): the location field, and the first (Backward) and last (Stop)
# buttons of the command toolbar at the right.
location_field() { echo "280x14+$((X + 126))+$((Y + 48))"; }
place_buttons() { button_x=$((X + WIDTH - 28)); back_y=$((Y + 72)); stop_y=$((Y + 365)); }
stop_button() { echo "30x24+$((button_x - 15))+$((stop_y - 12))"; }

crop() { import -window root "$work/$1.png"; convert "$work/$1.png" -crop "$2" +repage "$work/$1-part.png"; }
# Pictures alike but for the field's blinking caret.
alike() { [ "$(compare -metric AE "$work/$1-part.png" "$work/$2-part.png" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1)" -lt 40 ]; }
location_shows() { crop location-now "$(location_field)"; alike location-now "$1"; }

# The Messages window comes on top with each message; its Close button hides it.
hide_messages() {
  eval "$(xdotool getwindowgeometry --shell "$found" | sed 's/^/M/')"
  xdotool mousemove $((MX + MWIDTH / 2 - 10)) $((MY + MHEIGHT - 23)) click 1
  poll 30 gone_window '^Messages$' || fail "the Messages window stays over the view"
}

# A view that waits shows its one line of text and nothing else.
shows_text_only() {
  shot "$1"
  awk -v c="$(covered "$1")" 'BEGIN { exit !(c > 0.001 && c < 0.05) }'
}

# The width of what the view shows: "Waiting for world to be loaded..." is
# more than twice as wide as "Now Loading...".
text_width() { convert "$work/$1-view.png" -fuzz 10% -trim -format '%w' info:; }

# 1. A world that does not exist, then one typed into the location bar.
start_program "$program" /no/such.wrl
place_buttons
waiting_shown() { shows_text_only waiting && [ "$(text_width waiting)" -gt 200 ]; }
poll 60 waiting_shown || fail "the view does not show the waiting text ($(covered waiting) covered)"
type_location "file://$hello"
poll 60 shows_world hello || fail "the typed world is not drawn ($(covered hello) covered)"
settle hello
crop location-hello "$(location_field)"
crop stop-idle "$(stop_button)"

# 2. A second world, then a URL to a port where nothing listens.
type_location "file://$gallery"
gallery_shown() { shows_world gallery && [ "$(changed_pixels hello gallery)" -gt 1000 ]; }
poll 60 gallery_shown || fail "the second world is not drawn"
settle gallery
crop location-gallery "$(location_field)"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
type_location "http://127.0.0.1:$port/world.wrl"
poll 5 found_window '^Messages$' || fail "no message within 5 s of the refused connection"
hide_messages
poll 30 location_shows location-gallery || fail "the location bar does not show the world on view again"
xdotool mousemove "$button_x" "$back_y" click 1
back_to_hello() { shot back; [ "$(changed_pixels hello back)" -lt 1000 ]; }
poll 60 back_to_hello || fail "Backward does not show the world before ($(changed_pixels hello back) pixels differ)"

# 3. A world served slowly: the loading signs, then Stop.
server_port="$work/server.port"
python3 "$webserver" "$(dirname "$gallery")" >"$server_port" &
server=$!
poll 30 test -s "$server_port" || fail "the web server does not start"
type_location "http://127.0.0.1:$(head -1 "$server_port")/slow/$(basename "$gallery")"
loading_shown() { shows_text_only loading; }
poll 30 loading_shown || fail "the view does not show the loading text ($(covered loading) covered)"
crop stop-loading "$(stop_button)"
alike stop-idle stop-loading && fail "the Stop button does not change while the world is on its way"
xdotool mousemove "$button_x" "$stop_y" click 1
poll 30 found_window '^Messages$' || fail "Stop is not reported"
hide_messages
poll 30 location_shows location-hello || fail "after Stop the location bar does not show the world on view"
stopped_back() { shot stopped; [ "$(changed_pixels hello stopped)" -lt 1000 ]; }
poll 30 stopped_back || fail "after Stop the view does not show the world on view"
keep_shots
close_program

# 4. A world whose path has blanks.
mkdir -p "$work/examples with space"
cp "$hello" "$work/examples with space/hello.wrl"
cd "$work"
start_program "$program" "examples with space/hello.wrl"
poll 60 shows_world spaced || fail "the world whose path has blanks is not drawn"
keep_shots
close_program
echo "passed"
