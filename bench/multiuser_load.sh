#!/usr/bin/env bash
# The program's frame rate while other users crowd its world: one headless
# program joins tools/worldserver on 127.0.0.1; after a while alone, 50
# simulated users (tools/crowd) join, stay idle, then each sends 10 moves a
# second and a chat line every 3 seconds for 30 seconds. The program's
# per-frame lines ("-dframerate") are stamped as they arrive, and the frames
# a second are counted in three windows: alone, among the idle crowd, and
# under the load. Its closing report says how many chat lines it showed,
# against the lines the crowd sent.
#   bench/multiuser_load.sh [BUILD_DIR]   (default build/release)
set -eu
build="$(realpath "${1:-build/release}")"
program="$build/shell/lumenfold"
clients=50 idle=15 seconds=30 moves=10 chat_every=3
work=$(mktemp -d)
trap 'kill $server $crowd $lumenfold 2>/dev/null; rm -rf "$work"' EXIT
server="" crowd="" lumenfold=""

"$build/tools/worldserver" >"$work/server.out" &
server=$!
for _ in $(seq 50); do grep -q listening "$work/server.out" && break; sleep 0.1; done
port=$(sed -n 's/^listening on //p' "$work/server.out")

cat >"$work/crowded.wrl" <<EOF
#VRML V1.0 ascii
Separator {
  DEF ZmServer Info { string "127.0.0.1:$port" }
  PerspectiveCamera { position 0 1.5 6 orientation 1 0 0 -0.3 }
  DirectionalLight { direction -0.5 -1 -0.5 }
  Separator {
    Material { diffuseColor 0.4 0.4 0.4 }
    Transform { translation 0 -0.05 -8 }
    Cube { width 20 height 0.1 depth 20 }
  }
}
EOF
cat >"$work/sim.wrl" <<EOF
#VRML V1.0 ascii
Separator {
  Attributes { assignId TRUE }
  DEF Sim Separator {
    Material { diffuseColor 0.2 0.7 0.3 }
    Translation { translation 0 0.8 0 }
    Cube { width 0.5 height 1.6 depth 0.5 }
  }
}
EOF

# The frames a second alone decide how many frames last the whole run.
rate=$("$program" --headless --frames 300 "$work/crowded.wrl" 2>/dev/null | sed -n 's/.* fps \([0-9.]*\).*/\1/p')
total=$(awk -v r="$rate" -v s=$((idle + seconds + 25)) 'BEGIN { printf "%d", r * s }')

stamp() { while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done; }
"$program" --headless --frames "$total" -dframerate "$work/crowded.wrl" 2> >(stamp >"$work/frames.log") \
  >"$work/report.out" &
lumenfold=$!
sleep 8
"$build/tools/crowd" "$port" $clients $idle $seconds $moves $chat_every sim.wrl >"$work/crowd.out"
crowd=""
wait $lumenfold
lumenfold=""
sleep 0.5

joined=$(sed -n 's/^joined //p' "$work/crowd.out")
read -r load_from load_to < <(sed -n 's/^load //p' "$work/crowd.out")
first=$(awk '/Rendering/ { print $1; exit }' "$work/frames.log")
fps() {  # frames a second between two stamps
  awk -v a="$1" -v b="$2" '/Rendering/ && $1 >= a && $1 < b { n++ } END { printf "%.1f", n / (b - a) }' \
    "$work/frames.log"
}
settle=5  # the program reads the 50 avatars' files after they join
echo "alone:               $(fps "$first" "$joined") frames/s"
echo "50 idle users:       $(fps "$(awk -v j="$joined" -v s=$settle 'BEGIN { printf "%.6f", j + s }')" "$load_from") frames/s"
echo "50 users moving:     $(fps "$load_from" "$load_to") frames/s ($moves moves/s each, a chat line every ${chat_every} s each)"
sed -n 's/^moves \([0-9]*\) chat \([0-9]*\)/sent: \1 moves, \2 chat lines/p' "$work/crowd.out"
sed -n 's/.* chat \([0-9]*\)$/shown by the program: \1 chat lines/p' "$work/report.out"
