#!/usr/bin/env bash
# A short run of the programs as the packages ship them (optimised, no
# sanitizers), for what the optimiser alone could break; the whole test
# suite runs in the sanitizer build. In a network of its own (as the tests):
#   - ctrlsim serves a monochrome and a run-length colour panel, and
#     brenlow-snap takes a picture of each, at the panel's size;
#   - the colour panel is recorded, served again by ctrlsim --replay, and
#     the picture of the replay is the same picture, byte for byte;
#   - the console starts on a channel list of both and is still running
#     after five seconds.
#   scripts/smoke.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ -z "${QUORVEL_SMOKE_INSIDE:-}" ]; then
  QUORVEL_SMOKE_INSIDE=1 exec cmake/run-test-isolated.sh release_smoke "$0" "$build"
fi

bin=$build/bin
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

start_controller() { # address [options...]
  local address=$1
  shift
  "$bin/ctrlsim" --address "$address" --quiet "$@" >"$work/ctrlsim-$address.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    grep -q '^READY' "$work/ctrlsim-$address.out" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "ctrlsim on $address did not start: $(cat "$work/ctrlsim-$address.out")"
}
picture_size() { file "$1" | sed -n 's/.*PNG image data, \([0-9]* x [0-9]*\),.*/\1/p'; }

# A panel that stays still while it is recorded: one update a minute.
start_controller 127.0.0.2 --format mono
start_controller 127.0.0.3 --format rle --layout 2 --rate-ms 60000
"$bin/brenlow-snap" 127.0.0.2 "$work/mono.png" || fail "brenlow-snap of the monochrome panel: exit code $?"
[ "$(picture_size "$work/mono.png")" = "240 x 128" ] || fail "monochrome picture is $(picture_size "$work/mono.png")"
"$bin/brenlow-snap" --record "$work/colour.rec" --seconds 2 127.0.0.3 "$work/colour.png" \
  || fail "brenlow-snap --record of the colour panel: exit code $?"
[ "$(picture_size "$work/colour.png")" = "320 x 240" ] || fail "colour picture is $(picture_size "$work/colour.png")"
echo "smoke: pictures of both panels, recording of $(stat -c %s "$work/colour.rec") bytes"

start_controller 127.0.0.4 --replay "$work/colour.rec"
"$bin/brenlow-snap" 127.0.0.4 "$work/replay.png" || fail "brenlow-snap of the replay: exit code $?"
cmp -s "$work/colour.png" "$work/replay.png" || fail "the replayed panel differs from the recorded one"
echo "smoke: the replay shows the recorded panel"

printf '127.0.0.2\n127.0.0.3\n' >"$work/canali.txt"
status=0
QT_QPA_PLATFORM=offscreen timeout 5 "$bin/Brenlow" "$work/canali.txt" >"$work/console.out" 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the console ended on its own (exit code $status): $(cat "$work/console.out")"
echo "smoke: the console runs on two controllers"
