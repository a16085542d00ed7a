#!/usr/bin/env bash
# A second program started with a world hands it to the program already
# running and ends at once; the running one shows that world, named with
# blanks in its path (one name all the way). Both run headless in one
# private user folder (where they find each other).
#   handover_test.sh PROGRAM
set -u
program="$1"
work=$(mktemp -d)
first=""
trap '[ -n "$first" ] && kill $first 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; for f in "$work"/*.out; do echo "== $f"; cat "$f"; done; exit 1; }

cat >"$work/empty.wrl" <<'WORLD'
#VRML V1.0 ascii
Separator { }
WORLD
mkdir "$work/with space"
cat >"$work/with space/red.wrl" <<'WORLD'
#VRML V1.0 ascii
Separator {
  PerspectiveCamera { position 0 0 4 }
  Material { diffuseColor 1 0 0 emissiveColor 1 0 0 }
  Cube { width 8 height 8 depth 1 }
}
WORLD
export LUMENFOLD_HOME="$work/home"

"$program" --headless --frames 300 --screenshot "$work/view.bmp" "$work/empty.wrl" >"$work/first.out" 2>&1 &
first=$!
for _ in $(seq 200); do [ -S "$work/home/dde/$first.sock" ] && break; sleep 0.1; done
[ -S "$work/home/dde/$first.sock" ] || fail "the first program does not listen"

timeout 60 "$program" --headless "$work/with space/red.wrl" >"$work/second.out" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the second program ended with $status"
kill -0 $first 2>/dev/null || fail "the first program ended before the world came"
grep -q "^frames" "$work/second.out" && fail "the second program drew frames of its own"

wait $first
status=$?
first=""
[ "$status" -eq 0 ] || fail "the first program ended with $status"
python3 - "$work/view.bmp" <<'PY' || fail "the view does not show the handed world"
import struct, sys
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", data, 10)
width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
assert bits == 24, bits
row = (width * 3 + 3) & ~3
red = sum(1 for y in range(abs(height)) for x in range(width)
          for b, g, r in [data[offset + y * row + 3 * x: offset + y * row + 3 * x + 3]]
          if r > 2 * g + 20 and r > 2 * b + 20)
share = red / (width * abs(height))
print(f"red share of the view: {share:.2f}")
sys.exit(0 if share > 0.2 else 1)
PY
echo passed
