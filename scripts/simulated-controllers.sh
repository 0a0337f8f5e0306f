# Sourced by the demo scripts. start_controller ADDRESS [ctrlsim options...]
# starts a simulated controller on ADDRESS, its key messages logged in
# $demo/keys-ADDRESS.log and its output in $demo/ctrlsim-ADDRESS.out, adds
# its process to the caller's pids array and returns once it listens.
start_controller() {
  local address=$1
  shift
  build/bin/ctrlsim --address "$address" --key-log "$demo/keys-$address.log" "$@" \
    >"$demo/ctrlsim-$address.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    grep -q '^READY' "$demo/ctrlsim-$address.out" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "simulated controller on $address did not start:"; cat "$demo/ctrlsim-$address.out"; exit 1
}
