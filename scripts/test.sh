#!/usr/bin/env bash
# Sets up a fresh machine, builds everything with the sanitizers and runs the
# whole test suite headless there, every test in a network of its own: the
# suite as CI runs it (see scripts/sanitize.sh). For a plain build and its
# suite: scripts/build.sh && (cd build && ctest -j2).
set -euo pipefail
cd "$(dirname "$0")/.."
exec scripts/sanitize.sh "$@"
