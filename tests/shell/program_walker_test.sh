#!/usr/bin/env bash
# The walker example walks in the program: run from a folder of its own
# (not the example's), the world loads as a body without a "failed" message
# (worldshot prints the reader's messages, which the program shows in its
# Messages window), and the program's view after one frame and after many
# shows the legs in different places (the world's task steps the body ten
# times a second).
#   program_walker_test.sh PROGRAM WORLDSHOT WORLD.wrl
set -u
program="$(realpath "$1")"
worldshot="$(realpath "$2")"
world="$(realpath "$3")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export LUMENFOLD_HOME="$work/home" LUMENFOLD_SOUND_DEVICE=none
"$worldshot" "$world" >"$work/read" 2>&1 || { cat "$work/read"; echo "FAILED: worldshot cannot show the world"; exit 1; }
if grep -i "failed" "$work/read"; then echo "FAILED: reading the world reported a failure"; exit 1; fi
for frames in 1 60; do
  "$program" --headless --frames $frames --screenshot "$work/frame$frames.bmp" "$world" >"$work/out$frames" 2>&1
  status=$?
  [ "$status" -eq 0 ] || { cat "$work/out$frames"; echo "FAILED: the program ended with status $status"; exit 1; }
  if grep -i "failed" "$work/out$frames"; then echo "FAILED: the program reported a failure"; exit 1; fi
done
python3 - "$work/frame1.bmp" "$work/frame60.bmp" <<'PY'
import struct, sys
# The positions of the shins' yellow (0.9 0.8 0.3, lit) in a 24-bit BMP.
def shins(path):
    data = open(path, 'rb').read()
    offset, = struct.unpack_from('<I', data, 10)
    width, height, _, bits = struct.unpack_from('<iiHH', data, 18)
    assert bits == 24, f"{path}: {bits} bits a pixel"
    row = (width * 3 + 3) & ~3
    found = set()
    for y in range(abs(height)):
        for x in range(width):
            b, g, r = data[offset + y * row + 3 * x: offset + y * row + 3 * x + 3]
            if r > 120 and g > 100 and b < 0.6 * g and r > 2 * b:
                found.add((x, y))
    return found
first, later = shins(sys.argv[1]), shins(sys.argv[2])
if not first or not later:
    sys.exit(f"FAILED: no legs in view ({len(first)} and {len(later)} shin pixels)")
moved = len(first ^ later) / len(first | later)
if moved < 0.3:
    sys.exit(f"FAILED: the legs stand still (only {moved:.0%} of their pixels differ)")
print(f"passed: {moved:.0%} of the legs' pixels differ between frame 1 and frame 60")
PY
