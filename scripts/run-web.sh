#!/usr/bin/env bash
# Sets up a fresh machine, builds everything, starts simulated machine
# controllers on their own loopback addresses and serves them with
# brenlow-web at http://127.0.0.1:8716/ (WEB_LISTEN to change it):
#   127.0.20.2  monochrome 240 x 128 panel
#   127.0.20.3  colour 320 x 240 panel (raw lines)
#   127.0.20.4  colour 320 x 240 panel (run-length lines)
#   127.0.20.5  colour, falls silent after its first panel
#   127.0.20.6  in the list, but no controller there
# Headless Chromium then leaves a screenshot of the page in
# build/demo/web.png. From a terminal it keeps serving until Ctrl+C;
# otherwise it stops after the screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh

demo=build/demo
listen=${WEB_LISTEN:-127.0.0.1:8716}
mkdir -p "$demo"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

. scripts/simulated-controllers.sh
start_controller 127.0.20.2 --format mono --layout 0 --quiet
start_controller 127.0.20.3 --format raw --layout 1 --quiet
start_controller 127.0.20.4 --format rle --layout 2 --quiet
start_controller 127.0.20.5 --format raw --stall-after 240 --quiet
printf '127.0.20.2\n127.0.20.3\n127.0.20.4\n127.0.20.5\n127.0.20.6\n' > "$demo/canali-web.txt"

build/bin/brenlow-web --listen "$listen" --event-log "$demo/web-events.jsonl" "$demo/canali-web.txt" \
  2>"$demo/brenlow-web.log" &
pids+=($!)
for _ in $(seq 50); do
  curl -fs "http://$listen/api/controllers" >/dev/null 2>&1 && break
  sleep 0.2
done
echo "brenlow-web serves http://$listen/ (log: $demo/brenlow-web.log)"

# The screenshot once every controller shows what it will show: the silent
# one needs 5 s without a block.
/usr/bin/python3 - "http://$listen/" "$demo/web.png" <<'PY'
import os, shutil, sys, tempfile, time
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
url, shot = sys.argv[1:3]
options = webdriver.ChromeOptions()
options.binary_location = shutil.which('chromium')
profile = tempfile.mkdtemp(prefix='brenlow-web-shot-')
for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             '--disable-dev-shm-usage', '--window-size=1400,900', '--user-data-dir=' + profile):
    options.add_argument(flag)
browser = webdriver.Chrome(service=Service(shutil.which('chromedriver')), options=options)
try:
    browser.get(url)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        states = browser.execute_script(
            'return Array.from(document.querySelectorAll(".tile")).map(t => t.dataset.state);')
        if len(states) == 5 and states[:3] == ['online'] * 3 and states[3] == 'silent':
            break
        time.sleep(0.5)
    browser.save_screenshot(shot)
finally:
    browser.quit()
    shutil.rmtree(profile, ignore_errors=True)
PY
echo "Screenshot: $demo/web.png"

if [ -t 0 ]; then
  echo "Open http://$listen/ in a browser; Ctrl+C stops."
  wait "${pids[-1]}"
fi
