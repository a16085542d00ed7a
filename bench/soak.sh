#!/usr/bin/env bash
# Memory of a program left running: one headless program on each example
# world, all at once, for MINUTES minutes; at the start and at the end of
# every minute each program's resident and mapped size (VmRSS and VmSize of
# /proc, in KB) are printed, then the growth of each from the end of the
# first minute to the last. A program left open should hold its size once
# its world is built and its first frames are drawn.
#   bench/soak.sh [MINUTES] [BUILD_DIR] [WORLD...]
#   (defaults: 10, build/release, examples/*.wrl)
set -eu
cd "$(dirname "$0")/.."
minutes="${1:-10}"
build="$(realpath "${2:-build/release}")"
shift $(($# > 2 ? 2 : $#))
worlds=("$@")
[ ${#worlds[@]} -gt 0 ] || worlds=(examples/*.wrl)
program="$build/shell/lumenfold"
[ -x "$program" ] || { echo "no program at $program (cmake --build --preset release)" >&2; exit 1; }

work=$(mktemp -d)
pids=()
# The programs write their last files as they end: wait for them before
# their folders go.
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait; rm -rf "$work"' EXIT

for world in "${worlds[@]}"; do
  # A private home, so that nothing of the user's registry or bookmarks
  # changes; far more frames than the soak lasts.
  mkdir -p "$work/home-${#pids[@]}"
  LUMENFOLD_HOME="$work/home-${#pids[@]}" "$program" --headless --frames 1000000000 "$world" \
    >"$work/out-${#pids[@]}" 2>&1 &
  pids+=($!)
done

# status PID FIELD: the field of /proc/PID/status in KB, "-" once it ended.
status() { awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status" 2>/dev/null || echo -; }

declare -A first_rss first_size last_rss last_size
printf '%-22s %6s %10s %10s\n' world minute "VmRSS KB" "VmSize KB"
for minute in $(seq 0 "$minutes"); do
  [ "$minute" -eq 0 ] || sleep 60
  for i in "${!pids[@]}"; do
    rss=$(status "${pids[$i]}" VmRSS)
    size=$(status "${pids[$i]}" VmSize)
    printf '%-22s %6d %10s %10s\n' "$(basename "${worlds[$i]}")" "$minute" "${rss:--}" "${size:--}"
    if [ "$minute" -eq 1 ]; then first_rss[$i]=$rss first_size[$i]=$size; fi
    if [ "$minute" -eq "$minutes" ] && [ "$minutes" -gt 1 ]; then
      last_rss[$i]=$rss last_size[$i]=$size
    fi
  done
done

[ "$minutes" -gt 1 ] || exit 0
echo "growth from minute 1 to minute $minutes (KB):"
for i in "${!pids[@]}"; do
  if [ "${last_rss[$i]}" = - ] || [ "${first_rss[$i]}" = - ]; then
    printf '%-22s ended early:\n' "$(basename "${worlds[$i]}")"
    tail -3 "$work/out-$i"
    continue
  fi
  printf '%-22s resident %+d, mapped %+d\n' "$(basename "${worlds[$i]}")" \
    $((last_rss[$i] - first_rss[$i])) $((last_size[$i] - first_size[$i]))
done
