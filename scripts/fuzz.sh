#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/) with clang and libFuzzer in ./build-fuzz
# and runs every target for SECONDS (default 30), as many at once as there
# are cores. Each starts from its seed corpus in fuzz/corpus/<target>; what
# it finds new is kept in build-fuzz/runs/<target>/corpus, and an input that
# crashes, hangs or trips a sanitizer is saved beside it and fails the run.
#   scripts/fuzz.sh [SECONDS]
#   QUORVEL_CCACHE=1 scripts/fuzz.sh 30   builds through ccache
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
case "$seconds" in ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;; esac
scripts/setup.sh

build=build-fuzz
launcher=()
if [ -n "${QUORVEL_CCACHE:-}" ] && command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
start=$(date +%s)
# -O1 with line tables only, as usual for fuzzing: quick to build, and a
# crash still names file and line.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" -DQUORVEL_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzzers
built=$(date +%s)

runs="$build/runs"
rm -rf "$runs"
mkdir -p "$runs"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen

run_target() { # name
  local name=$1 dir="$runs/$1"
  mkdir -p "$dir/corpus"
  if "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
       -print_final_stats=1 -artifact_prefix="$dir/" "$dir/corpus" "fuzz/corpus/$name" \
       >"$dir/log" 2>&1; then
    echo ok >"$dir/result"
  else
    echo failed >"$dir/result"
  fi
}

targets=()
for program in "$build"/fuzz/fuzz_*; do
  [ -f "$program" ] && [ -x "$program" ] && targets+=("$(basename "$program")")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets were built" >&2
  exit 1
fi

# As many targets at once as there are cores.
slots=$(nproc)
for name in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$slots" ]; do sleep 1; done
  run_target "$name" &
done
wait

status=0
printf '%-26s %-7s %12s %8s\n' target result executions corpus
for name in "${targets[@]}"; do
  dir="$runs/$name"
  result=$(cat "$dir/result" 2>/dev/null || echo failed)
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  corpus=$(find "$dir/corpus" -type f | wc -l)
  printf '%-26s %-7s %12s %8s\n' "$name" "$result" "${executions:-?}" "$corpus"
  if [ "$result" != ok ]; then
    status=1
    echo "---- $name: end of its log"
    tail -n 60 "$dir/log"
  fi
done
echo "Fuzz run: build $((built - start)) s, $seconds s per target"
exit "$status"
