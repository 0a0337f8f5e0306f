#!/usr/bin/env bash
# Floor run: the console with many simulated controllers streaming at once.
# Prints the console's processor share, wake-ups and resident memory.
#
# Usage: floor_run.sh [--overview] [controllers=64] [seconds=20] [ctrlsim options...]
#
# Up to 512 controllers get 127.0.0.2, 127.0.0.3, ... 127.0.0.255, 127.0.1.0,
# ... with the panel formats mono, raw and rle in turn. By default they
# redraw their panels every 100 ms (pass --flood to stream as fast as the
# sockets take, or --rate-ms 3600000 for panels that stay still).
#
# --overview: a second console, with "Panoramica impianto" open over all the
# controllers, runs beside the plain one on the same controllers over the
# same seconds; the difference of the two shares is the overview's own cost.
#
# Beside the consoles, a minimal reader (floor_reader: epoll, every socket
# read until it would block, nothing decoded) holds a connection of its own
# to every controller over the same seconds; its share is the bound, and
# "console/bound" the console's share divided by it.
#
# The measurement starts only when every controller listens, the consoles
# and the reader hold a connection to each of them and each console has
# shown every screen window with its first image (its "SHOWN" line, which
# also gives the processor time the console took to get there). The
# processor share is each process's own processor time (utime + stime from
# /proc) over the measured window, so other load on the machine does not
# count; wake-ups are its context switches in that window.
#
# FLOOR_CONSOLE names another console program to measure (default: the
# console's start-up as built here, bench/floor_console); it must print the
# same "SHOWN" line. The consoles run offscreen unless FLOOR_QPA names another
# platform, e.g.
#   xvfb-run -a -s "-screen 0 1280x1024x24" env FLOOR_QPA=xcb floor_run.sh 256 15
# FLOOR_PERF=file records a profile of the (first) console over the window.
# Run it in a network namespace of its own (all of 127.0.0.0/8 is needed).
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
qpa=${FLOOR_QPA:-offscreen}
screen_port=16721

if ! [[ "$count" =~ ^[0-9]+$ ]] || [ "$count" -lt 1 ] || [ "$count" -gt 512 ]; then
  echo "floor_run.sh: controllers must be 1 to 512, got '$count'" >&2
  exit 2
fi

# One socket a controller in each console, plus its own files; each
# controller is a process of its own.
want_files=$((count + 256))
if [ "$(ulimit -n)" != unlimited ] && [ "$(ulimit -n)" -lt "$want_files" ]; then
  ulimit -n "$want_files" 2>/dev/null || {
    echo "floor_run.sh: cannot raise the open-file limit to $want_files" >&2
    exit 2
  }
fi

bin=build/bin
console_bin=${FLOOR_CONSOLE:-build/bench/floor_console}
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

address_of() { local n=$(($1 + 2)); echo "127.0.$((n / 256)).$((n % 256))"; }

formats=(mono raw rle)
for i in $(seq 0 $((count - 1))); do
  address=$(address_of "$i")
  "$bin/ctrlsim" --address "$address" --format "${formats[$((i % 3))]}" --layout $((i % 3)) \
    --key-log /dev/null --quiet "${extra[@]}" >"$work/sim-$i.out" 2>&1 &
  pids+=($!)
  echo "$address" >>"$work/canali.txt"
done

wait_for() { # description, timeout in tenths of a second, test command...
  local what=$1 tenths=$2
  shift 2
  for _ in $(seq "$tenths"); do "$@" && return 0; sleep 0.1; done
  echo "floor_run.sh: timed out waiting for $what" >&2
  exit 1
}
for i in $(seq 0 $((count - 1))); do
  wait_for "controller $(address_of "$i")" 100 grep -q '^READY' "$work/sim-$i.out"
done

connections() {
  ss -Htn state established "( dport = :$screen_port )" 2>/dev/null | wc -l
}
# Each console and the minimal reader hold one connection a controller.
all_connected() { [ "$(connections)" -ge $((count * (${#consoles[@]} + 1))) ]; }

start_console() { # output file, program and arguments...
  local out=$1
  shift
  if [ "$qpa" = xcb ]; then
    "$@" >"$out" 2>&1 &
  else
    QT_QPA_PLATFORM=$qpa "$@" >"$out" 2>&1 &
  fi
  consoles+=($!)
  pids+=($!)
}
consoles=()
start_console "$work/console.out" "$console_bin" "$work/canali.txt"
if [ "$overview" = 1 ]; then
  start_console "$work/console-overview.out" build/bench/floor_console --overview "$work/canali.txt"
fi
build/bench/floor_reader "$work/canali.txt" "$screen_port" >"$work/reader.out" 2>&1 &
reader=$!
pids+=("$reader")
wait_for "every connection (has $(connections))" 1200 all_connected
wait_for "the minimal reader" 600 grep -q '^READY' "$work/reader.out"
opened=()
for i in "${!consoles[@]}"; do
  out=$work/console.out
  [ "$i" = 0 ] || out=$work/console-overview.out
  wait_for "every screen window shown" 3000 grep -q '^SHOWN' "$out"
  opened+=("$(sed -n 's/^SHOWN \([0-9]*\) windows, \([0-9.]*\) s.*/\2 s of processor for \1 windows/p' "$out")")
done

# Processor time in nanoseconds, summed over the process's threads: the
# reader's share is a few tenths of a per cent, too little for clock ticks.
cpu() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{n += $1} END {printf "%.0f\n", n}'; }
switches() { awk '/ctxt_switches/ {n += $2} END {print n}' "/proc/$1/status"; }
start_cpu=()
start_sw=()
for c in "${consoles[@]}"; do
  start_cpu+=("$(cpu "$c")")
  start_sw+=("$(switches "$c")")
done
reader_cpu0=$(cpu "$reader")
start_ns=$(date +%s%N)
if [ -n "${FLOOR_PERF:-}" ]; then
  perf record -q -F "${FLOOR_PERF_HZ:-499}" --call-graph dwarf,16384 -p "${consoles[0]}" -o "$FLOOR_PERF" -- sleep "$seconds" >/dev/null 2>&1
else
  sleep "$seconds"
fi
end_cpu=()
end_sw=()
for c in "${consoles[@]}"; do
  end_cpu+=("$(cpu "$c")")
  end_sw+=("$(switches "$c")")
done
reader_cpu1=$(cpu "$reader")
end_ns=$(date +%s%N)
held=$(connections)

elapsed=$(awk -v a="$start_ns" -v b="$end_ns" 'BEGIN {print (b - a) / 1e9}')
printf 'controllers: %d (%s), platform %s, measured over %.1f s, %d connections held\n' \
  "$count" "${extra[*]}" "$qpa" "$elapsed" "$held"
labels=("console" "console with the overview open")
shares=()
for i in "${!consoles[@]}"; do
  c=${consoles[$i]}
  share=$(awk -v c0="${start_cpu[$i]}" -v c1="${end_cpu[$i]}" -v e="$elapsed" \
    'BEGIN {print (c1 - c0) / 1e9 / e * 100}')
  shares+=("$share")
  wakeups=$(awk -v s0="${start_sw[$i]}" -v s1="${end_sw[$i]}" -v e="$elapsed" 'BEGIN {print (s1 - s0) / e}')
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$c/status")
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$c/status")
  printf '%s CPU share: %.2f %% of one core (own processor time)\n' "${labels[$i]}" "$share"
  printf '%s wake-ups: %.1f a second (context switches)\n' "${labels[$i]}" "$wakeups"
  printf '%s resident memory: %d KiB (peak %d KiB)\n' "${labels[$i]}" "$rss" "$hwm"
  printf '%s opening: %s, until every window was shown\n' "${labels[$i]}" "${opened[$i]}"
done
bound=$(awk -v c0="$reader_cpu0" -v c1="$reader_cpu1" -v e="$elapsed" \
  'BEGIN {print (c1 - c0) / 1e9 / e * 100}')
printf 'minimal reader CPU share: %.2f %% of one core\n' "$bound"
printf 'console/bound: %s\n' "$(awk -v a="${shares[0]}" -v b="$bound" \
  'BEGIN {if (b > 0) printf "%.2f", a / b; else print "n/a (the reader used no measurable time)"}')"
if [ "$overview" = 1 ]; then
  printf 'overview share: %.2f %% of one core\n' \
    "$(awk -v a="${shares[0]}" -v b="${shares[1]}" 'BEGIN {print b - a}')"
fi
