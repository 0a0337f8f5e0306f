#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer
# in ./build-asan and runs the whole test suite there. A sanitizer report
# stops the program that made it and is also written to
# build-asan/sanitizer-logs; any report there fails the run, also one from
# a program a test started (ctrlsim, the launcher, the installer).
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

logs="$PWD/$build/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs"
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:log_path=$logs/asan"
export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1:log_path=$logs/ubsan"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen

status=0
(cd "$build" && ctest --output-on-failure -j 2 --timeout 600 -E '_x11$') || status=$?
# The tests under a virtual X server load the X and D-Bus client libraries,
# which keep memory of their own until the end: leaks are not checked there,
# everything else is.
(cd "$build" && ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" \
  ctest --output-on-failure -j 2 --timeout 600 -R '_x11$') || status=$?
finished=$(date +%s)

if compgen -G "$logs/*" >/dev/null; then
  echo "Sanitizer reports:"
  for report in "$logs"/*; do echo "== $report"; cat "$report"; done
  status=1
fi
echo "Sanitizer run: build $((built - start)) s, tests $((finished - built)) s"
exit "$status"
