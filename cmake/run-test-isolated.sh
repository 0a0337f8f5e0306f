#!/bin/sh
# Runs one test program in a network of its own: a fresh network namespace
# in which only the loopback interface is up, and with a process table of its
# own (a fresh PID namespace with its own /proc), so that the launcher's and
# the installer's process checks see only what the test started, not the
# programs of a second suite running beside it. Tests listen as simulated
# controllers on fixed loopback addresses and ports (127.0.0.51, 127.0.41.1,
# port 16721 ...); in a namespace of their own they cannot collide with the
# same test of a second suite, a benchmark or a console running on the
# machine, and they cannot reach anything outside it.
#
# Without root, the namespace comes with a user namespace of its own
# (unprivileged user namespaces). Where the system allows neither, the
# test runs in the machine's network and the same test of every suite on
# the machine takes turns through a lock named after the test; different
# tests of one suite already use different addresses.
# QUORVEL_TEST_SHARED_NETWORK=1 chooses the shared network and the lock.
#
#   run-test-isolated.sh NAME PROGRAM [ARGUMENTS...]
set -eu
name=$1
shift

if [ -z "${QUORVEL_TEST_SHARED_NETWORK:-}" ] && command -v unshare >/dev/null && command -v ip >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then
    isolate="unshare --net --pid --fork --kill-child --mount-proc"
  else
    isolate="unshare --net --pid --fork --kill-child --mount-proc --map-root-user"
  fi
  # A trial first, so that a refusal falls back instead of failing the test.
  if $isolate ip link set lo up 2>/dev/null; then
    # The shell stays as the namespace's first process, so that the test
    # program and what it starts are ordinary processes that get signals.
    exec $isolate sh -c 'ip link set lo up && "$@"' "$name" "$@"
  fi
fi

locks="${TMPDIR:-/tmp}/quorvel-test-locks"
mkdir -p "$locks"
chmod 1777 "$locks" 2>/dev/null || true
# The lock stays with the test program (descriptor 9) until it ends.
exec 9>>"$locks/$name.lock"
flock 9
exec "$@"
