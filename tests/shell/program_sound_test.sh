#!/usr/bin/env bash
# The program plays a world's ambient sound: with the output device set to
# ALSA's file plugin, the sound written while the world runs holds the whole
# source (its length at least) with a non-zero level. Skipped (77) when ALSA
# cannot open the file device.
#   program_sound_test.sh PROGRAM SOUND.wav
set -u
program="$1"
sound="$(realpath "$2")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$sound" "$work/tone.wav"
cat >"$work/world.wrl" <<'WORLD'
#VRML V1.0 ascii
Separator {
  PerspectiveCamera { position 0 1 6 }
  DEF tone AmbientSound { filename "tone.wav" bboxSize 100 100 100 }
  Cube { }
}
WORLD
export LUMENFOLD_HOME="$work/home" LUMENFOLD_SOUNDFONT=""
export LUMENFOLD_SOUND_DEVICE="file:FILE=$work/heard.wav,FORMAT=wav"
"$program" --headless --frames 150 "$work/world.wrl" >"$work/out" 2>&1
status=$?
grep -q "Sound output: silent" "$work/out" && { echo "ALSA cannot open the file device: skipped"; exit 77; }
[ "$status" -eq 0 ] || { cat "$work/out"; echo "FAILED: status $status"; exit 1; }
python3 - "$work/tone.wav" "$work/heard.wav" <<'PY'
import sys, wave, array
def frames(path):
    with wave.open(path) as w:
        return w.getnframes(), w.getframerate(), w.readframes(w.getnframes()), w.getsampwidth()
n, rate, _, _ = frames(sys.argv[1])
m, heard_rate, data, width = frames(sys.argv[2])
samples = array.array('h', data) if width == 2 else array.array('b', data)
peak = max((abs(s) for s in samples), default=0)
source_seconds, heard_seconds = n / rate, m / heard_rate
if heard_seconds + 1e-3 < source_seconds or peak == 0:
    sys.exit(f"FAILED: heard {heard_seconds:.3f} s at peak {peak}, the source lasts {source_seconds:.3f} s")
print(f"passed: heard {heard_seconds:.3f} s at peak {peak} of a {source_seconds:.3f} s source")
PY
