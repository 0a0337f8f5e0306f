#!/usr/bin/env bash
# Floor run: the console with many simulated controllers streaming at once.
# Prints the console's processor share and resident memory.
#
# Usage: floor_run.sh [--overview] [controllers=64] [seconds=20] [ctrlsim options...]
# The controllers get 127.0.0.2, 127.0.0.3, ...; by default they redraw their
# panels every 100 ms (pass --flood to stream as fast as the sockets take).
# --overview: a second console, with "Panoramica impianto" open over all the
# controllers, runs beside the plain one on the same controllers over the
# same seconds; the difference of the two shares is the overview's own cost,
# whatever else the machine is doing meanwhile.
set -euo pipefail
cd "$(dirname "$0")/../.."
overview=0
if [ "${1:-}" = --overview ]; then
  overview=1
  shift
fi
count=${1:-64}
seconds=${2:-20}
shift 2 2>/dev/null || shift $# 
extra=("$@")
[ ${#extra[@]} -gt 0 ] || extra=(--rate-ms 100)

bin=build/bin
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

formats=(mono raw rle)
for i in $(seq 0 $((count - 1))); do
  address=127.0.$(((i + 2) / 256)).$(((i + 2) % 256))
  "$bin/ctrlsim" --address "$address" --format "${formats[$((i % 3))]}" --layout $((i % 3)) \
    --key-log /dev/null "${extra[@]}" >"$work/sim-$i.out" 2>&1 &
  pids+=($!)
  echo "$address" >>"$work/canali.txt"
done
for i in $(seq 0 $((count - 1))); do
  for _ in $(seq 100); do grep -q '^READY' "$work/sim-$i.out" && break; sleep 0.05; done
done

platform=${QT_QPA_PLATFORM:-offscreen}
QT_QPA_PLATFORM=$platform build/bin/Brenlow "$work/canali.txt" >"$work/console.out" 2>&1 &
consoles=($!)
pids+=($!)
if [ "$overview" = 1 ]; then
  QT_QPA_PLATFORM=$platform build/bench/floor_console --overview "$work/canali.txt" \
    >"$work/console-overview.out" 2>&1 &
  consoles+=($!)
  pids+=($!)
fi
sleep 3 # windows open and show their first image

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
start_cpu=()
for c in "${consoles[@]}"; do start_cpu+=("$(cpu "$c")"); done
start_ns=$(date +%s%N)
sleep "$seconds"
end_cpu=()
for c in "${consoles[@]}"; do end_cpu+=("$(cpu "$c")"); done
end_ns=$(date +%s%N)

elapsed=$(awk -v a="$start_ns" -v b="$end_ns" 'BEGIN {print (b - a) / 1e9}')
printf 'controllers: %d (%s), measured over %.1f s\n' "$count" "${extra[*]}" "$elapsed"
labels=("console" "console with the overview open")
shares=()
for i in "${!consoles[@]}"; do
  c=${consoles[$i]}
  share=$(awk -v c0="${start_cpu[$i]}" -v c1="${end_cpu[$i]}" -v t="$ticks" -v e="$elapsed" \
    'BEGIN {print (c1 - c0) / t / e * 100}')
  shares+=("$share")
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$c/status")
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$c/status")
  printf '%s CPU share: %.1f %% of one core\n' "${labels[$i]}" "$share"
  printf '%s resident memory: %d KiB (peak %d KiB)\n' "${labels[$i]}" "$rss" "$hwm"
done
if [ "$overview" = 1 ]; then
  printf 'overview share: %.1f %% of one core\n' \
    "$(awk -v a="${shares[0]}" -v b="${shares[1]}" 'BEGIN {print b - a}')"
fi
