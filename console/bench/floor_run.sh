#!/usr/bin/env bash
# Floor run: the console with many simulated controllers streaming at once.
# Prints the console's processor share and resident memory.
#
# Usage: floor_run.sh [--overview] [controllers=64] [seconds=20] [ctrlsim options...]
# The controllers get 127.0.0.2, 127.0.0.3, ...; by default they redraw their
# panels every 100 ms (pass --flood to stream as fast as the sockets take).
# --overview: the console opens "Panoramica impianto" over all of them.
set -euo pipefail
cd "$(dirname "$0")/../.."
console_program=(build/bin/Brenlow)
if [ "${1:-}" = --overview ]; then
  console_program=(build/bench/floor_console --overview)
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

QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "${console_program[@]}" "$work/canali.txt" >"$work/console.out" 2>&1 &
console=$!
pids+=($console)
sleep 3 # windows open and show their first image

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$console/stat"; }
start_cpu=$(cpu)
start_ns=$(date +%s%N)
sleep "$seconds"
end_cpu=$(cpu)
end_ns=$(date +%s%N)
rss=$(awk '/VmRSS/ {print $2}' "/proc/$console/status")
hwm=$(awk '/VmHWM/ {print $2}' "/proc/$console/status")

elapsed=$(awk -v a="$start_ns" -v b="$end_ns" 'BEGIN {print (b - a) / 1e9}')
share=$(awk -v c0="$start_cpu" -v c1="$end_cpu" -v t="$ticks" -v e="$elapsed" 'BEGIN {print (c1 - c0) / t / e * 100}')
printf 'controllers: %d (%s)%s, measured over %.1f s\n' "$count" "${extra[*]}" \
  "$([ ${#console_program[@]} -gt 1 ] && echo ', overview open')" "$elapsed"
printf 'console CPU share: %.1f %% of one core\n' "$share"
printf 'console resident memory: %d KiB (peak %d KiB)\n' "$rss" "$hwm"
