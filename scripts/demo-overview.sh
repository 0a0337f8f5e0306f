#!/usr/bin/env bash
# The floor overview and the zoom in the real console, under a virtual X
# server: six simulated controllers (one falls silent, one closes its
# connection), the panel of 127.0.0.3 opened at 2x from the operator's
# settings, then "Panoramica impianto" chosen from a screen window's
# right-button menu as an operator would, and one controller stopped. Leaves build/demo/overview.png and
# build/demo/context-menu.png. Needs a build (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

demo=build/demo/overview
rm -rf "$demo"
mkdir -p "$demo/config/Prevok S.p.A."
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

. scripts/simulated-controllers.sh
start_controller 127.0.0.2 --format mono --layout 0
start_controller 127.0.0.3 --format raw --layout 1
start_controller 127.0.0.4 --format rle --layout 2
start_controller 127.0.0.5 --format raw --layout 1 --stall-after 60
start_controller 127.0.0.6 --format mono --layout 0
closing=${pids[-1]}
start_controller 127.0.0.7 --format rle --layout 2
printf '127.0.0.%d\n' 2 3 4 5 6 7 > "$demo/canali.txt"
printf '[Zoom]\n127.0.0.3=2\n' > "$demo/config/Prevok S.p.A./Brenlow.ini"

XDG_CONFIG_HOME="$PWD/$demo/config" xvfb-run -a -s "-screen 0 1600x1000x24" bash -c '
  set -e
  demo='"$demo"'
  build/bin/Brenlow "$demo/canali.txt" >"$demo/console.out" 2>&1 & console=$!
  sleep 4
  main=$(xdotool search --name "^Brenlow" | head -1)
  xdotool windowmove "$main" 0 0
  # The last window opened lies on top, down and right of the others.
  xdotool mousemove 280 300 click 3
  sleep 0.5
  # By keyboard, as an operator may: down to "Zoom", open it, back out and
  # up to "Panoramica impianto".
  xdotool key Down Down Down Right
  sleep 0.8
  import -window root "$demo/context-menu.png"
  xdotool key Escape Up Return
  sleep 1
  overview=$(xdotool search --name "^Panoramica impianto" | head -1)
  xdotool windowsize "$overview" 760 560 windowmove "$overview" 830 420
  # The controller on 127.0.0.6 stops: the console says so once.
  kill '"$closing"'
  sleep 1.5
  xdotool key Return
  sleep 8
  import -window root "$demo/overview.png"
  kill $console' || true
echo "Screenshots: $demo/overview.png, $demo/context-menu.png"
