#!/usr/bin/env bash
# Sets up a fresh machine, builds everything, starts three simulated machine
# controllers on their own loopback addresses and opens the console on them
# from a channel list:
#   127.0.0.2  monochrome 240 x 128 panel, keypad layout 0
#   127.0.0.3  colour 320 x 240 panel (raw lines), keypad layout 1
#   127.0.0.4  colour 320 x 240 panel (run-length lines), keypad layout 2
# With a display the console runs until you close it. Without one it runs
# under a virtual X server for DEMO_SECONDS (default 15) and leaves a
# screenshot in build/demo/console.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh

demo=build/demo
mkdir -p "$demo"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

. scripts/simulated-controllers.sh
start_controller 127.0.0.2 --format mono --layout 0
start_controller 127.0.0.3 --format raw --layout 1
start_controller 127.0.0.4 --format rle --layout 2
printf '127.0.0.2\n127.0.0.3\n127.0.0.4\n' > "$demo/canali.txt"
echo "Simulated controllers on 127.0.0.2-4; key messages are logged in $demo/keys-*.log"

if [ -n "${DISPLAY:-}" ]; then
  build/bin/Brenlow "$demo/canali.txt"
else
  seconds=${DEMO_SECONDS:-15}
  echo "No display: running the console under Xvfb for ${seconds}s"
  xvfb-run -a -s "-screen 0 1280x900x24" bash -c "
    build/bin/Brenlow '$demo/canali.txt' & console=\$!
    sleep 4; import -window root '$demo/console.png'
    sleep $((seconds > 4 ? seconds - 4 : 0)); kill \$console" || true
  echo "Screenshot: $demo/console.png"
fi
