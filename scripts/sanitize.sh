#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer
# in ./build-asan and runs the whole test suite there. A sanitizer report
# stops the program that made it and is also written to
# build-asan/sanitizer-logs; any report there fails the run, also one from
# a program a test started (ctrlsim, the launcher, the installer).
#
# The leak check proves itself first: a program that loses a QObject with a
# 100,000-byte buffer runs with the suite's suppressions (scripts/lsan.supp),
# and the run fails unless LeakSanitizer reports that buffer. At the end the
# suppressions that matched are listed, with how many processes and bytes.
#   QUORVEL_CCACHE=1 scripts/sanitize.sh   builds through ccache
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

build=build-asan
launcher=()
if [ -n "${QUORVEL_CCACHE:-}" ] && command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
start=$(date +%s)
# -O1 with line tables only: a third of the compile time of -O2 -g, and the
# reports still name file and line.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DQUORVEL_SANITIZE=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
built=$(date +%s)

suppressions="$PWD/scripts/lsan.supp"
asan="halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=1"
export QT_QPA_PLATFORM=offscreen

echo "Leak suppressions in force ($suppressions):"
grep -v '^#' "$suppressions" | grep . | sed 's/^/  /'

# The gate first: a leak it cannot see would let the suite pass unseen.
probe="$PWD/$build/leak-probe"
rm -rf "$probe"
mkdir -p "$probe"
if ASAN_OPTIONS="$asan:abort_on_error=0:log_path=$probe/asan" "$build/checks/sanitizer_leak_probe" >"$probe/output" 2>&1; then
  echo "FAIL: the leak probe lost a QObject with a 100,000-byte buffer and ended without a report"
  exit 1
fi
largest=$(cat "$probe"/asan.* 2>/dev/null | sed -n 's/.*leak of \([0-9]*\) byte(s).*/\1/p' | sort -n | tail -1)
if [ "${largest:-0}" -lt 100000 ]; then
  echo "FAIL: LeakSanitizer did not report the leak probe's 100,000-byte buffer; the suppressions hide it:"
  cat "$probe"/asan.* "$probe/output" 2>/dev/null || true
  exit 1
fi
echo "Leak probe: reported as it must be, largest block ${largest} bytes"

logs="$PWD/$build/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs"
export ASAN_OPTIONS="$asan:log_path=$logs/asan"
export UBSAN_OPTIONS="$UBSAN_OPTIONS:log_path=$logs/ubsan"

status=0
(cd "$build" && ctest --output-on-failure -j 2 --timeout 600 -E '_x11$') || status=$?
# The tests under a virtual X server load the X and D-Bus client libraries,
# which keep memory of their own until the end: leaks are not checked there,
# everything else is.
(cd "$build" && ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" \
  ctest --output-on-failure -j 2 --timeout 600 -R '_x11$') || status=$?
finished=$(date +%s)

# A log that holds only the list of matched suppressions is no finding;
# anything else is.
shopt -s nullglob
findings=0
for report in "$logs"/*; do
  if grep -q -e 'ERROR:' -e 'runtime error' -e 'SUMMARY:' "$report" \
     || ! grep -q '^Suppressions used:' "$report"; then
    [ "$findings" -gt 0 ] || echo "Sanitizer reports:"
    findings=$((findings + 1))
    echo "== $report"
    cat "$report"
  fi
done
[ "$findings" -eq 0 ] || status=1

# Lines of a matched-suppression list: "  count  bytes  template".
matched=$(cat "$logs"/* 2>/dev/null | awk '
  /^Suppressions used:/ { inside = 1; next }
  inside && /^-+$/ { inside = 0; next }
  inside && $1 ~ /^[0-9]+$/ { processes[$3]++; blocks[$3] += $1; bytes[$3] += $2 }
  END { for (t in processes) printf "  %-48s %6d processes %8d blocks %10d bytes\n", t, processes[t], blocks[t], bytes[t] }')
echo "Leak suppressions used by the suite:"
echo "${matched:-  none}"
echo "Sanitizer run: build $((built - start)) s, tests $((finished - built)) s"
exit "$status"
