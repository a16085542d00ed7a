#!/usr/bin/env bash
# Crowded worlds in worldshot: 20,000 cubes in one place (one depth group)
# against 20,000 cubes apart (a 200 x 100 grid), and the doubling world whose
# 25 levels of DEF/USE ask for 2^25 cubes from 1.8 KB of text (the build stops
# at its object limit, 500,000 objects). For each world it prints the best of
# RUNS runs of:
#   first   the first frame, which places every clump in the scene's tree
#   next    the mean of 10 frames (the first among them)
#   whole   the whole run: reading, building, the first frame and clearing up
#   bench/crowded.sh [BUILD_DIR [RUNS]]     (default build/release, 3 runs)
set -eu
build="$(realpath "${1:-build/release}")"
runs="${2:-3}"
worldshot="$build/tools/worldshot"
[ -x "$worldshot" ] || { echo "crowded.sh: no worldshot at $worldshot" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cubes() {  # $1: "together" or "apart"
  echo "#VRML V1.0 ascii"
  echo "Separator {"
  awk -v mode="$1" 'BEGIN {
    for (i = 0; i < 20000; i++) {
      if (mode == "together") print "Separator { Cube { } }"
      else printf "Separator { Translation { translation %d %d 0 } Cube { } }\n", (i % 200) * 3, int(i / 200) * 3
    }
  }'
  echo "}"
}
doubling() {
  echo "#VRML V1.0 ascii"
  echo "DEF L0 Cube { }"
  for n in $(seq 25); do
    echo "DEF L$n Separator { USE L$((n - 1)) Translation { translation 1 0 0 } USE L$((n - 1)) }"
  done
}
cubes together >"$work/together.wrl"
cubes apart >"$work/apart.wrl"
doubling >"$work/doubling.wrl"

# The ms/frame worldshot prints for N frames of the world.
frame_ms() { "$worldshot" --frames "$2" "$1" 2>/dev/null | awk '/^frames/ { print $4 }'; }
whole_s() {
  local start end
  start=$(date +%s.%N)
  "$worldshot" "$1" >/dev/null 2>&1
  end=$(date +%s.%N)
  awk -v from="$start" -v to="$end" 'BEGIN { printf "%.3f\n", to - from }'
}
best() { sort -g | head -1; }
repeat() { for _ in $(seq "$runs"); do "$@"; echo; done | grep . | best; }

for world in apart together doubling; do
  file="$work/$world.wrl"
  first=$(repeat frame_ms "$file" 1)
  if [ "$world" = doubling ]; then next="-"; else next=$(printf %.1f "$(repeat frame_ms "$file" 10)"); fi
  printf "%-9s first %7.1f ms   next %7s ms   whole %5.2f s\n" "$world" "$first" "$next" "$(repeat whole_s "$file")"
done
echo "  goals: 'together' within 100 ms of 'apart'; 'doubling' whole within 10 s"
