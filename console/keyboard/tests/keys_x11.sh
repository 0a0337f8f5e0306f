#!/bin/sh
# Random operator sequences typed with xdotool into the console under an X
# server with auto-repeat on, against two simulated controllers: each
# controller's key log must show, per key, makes and breaks alternating from
# a make, and no key left down.
# Usage: keys_x11.sh <Brenlow> <ctrlsim> [sequences]
set -u
brenlow=$1 ctrlsim=$2 sequences=${3:-4}
dir=$(mktemp -d)
pids=
trap 'kill $pids 2>/dev/null; rm -rf "$dir"' EXIT
for c in 30 31; do
  "$ctrlsim" --address 127.0.21.$c --layout $((c % 2)) --format mono --stats-port 0 \
    --key-log "$dir/$c.log" >"$dir/$c.out" 2>&1 &
  pids="$pids $!"
done
printf '127.0.21.30\n127.0.21.31\n' >"$dir/list"
for i in $(seq 100); do
  grep -q READY "$dir/30.out" && grep -q READY "$dir/31.out" && break
  sleep 0.1
done
"$brenlow" "$dir/list" >/dev/null 2>&1 &
pids="$pids $!"
# The main window up and both controllers connected.
for i in $(seq 150); do
  window=$(xdotool search --name '^Brenlow - ' 2>/dev/null | head -1)
  [ -n "$window" ] && grep -q connected "$dir/30.out" && grep -q connected "$dir/31.out" && break
  window=
  sleep 0.2
done
[ -n "$window" ] || { echo "the console did not open both controllers"; exit 1; }
sleep 1
xdotool windowfocus --sync "$window"; sleep 0.3
xdotool key alt+c; sleep 0.3; xdotool key t; sleep 0.5   # Canale > Tastiera
xdotool windowfocus --sync "$window"

# Each step: a key of the keypads down or up, a hold past the auto-repeat
# delay, Ctrl+Tab in either release order, a key held across Ctrl+Tab, or a
# menu opened over held keys. Tab is never typed without Ctrl.
keys="q F1 Left Down space"
awk -v n="$sequences" 'BEGIN { srand(7); for (i = 0; i < n * 12; i++) print int(rand() * 9), int(rand() * 5) + 1 }' |
while read -r action k; do
  key=$(echo $keys | cut -d' ' -f"$k")
  case $action in
    0|1) xdotool keydown "$key" ;;
    2|3) xdotool keyup "$key" ;;
    4) xdotool keydown "$key"; sleep 0.8; xdotool keyup "$key" ;;
    5) xdotool keydown ctrl key Tab keyup ctrl ;;
    6) xdotool keydown ctrl keydown Tab keyup ctrl keyup Tab ;;
    7) xdotool key alt+c; sleep 0.3; xdotool key Escape Escape ;;
    8) xdotool keydown "$key"; sleep 0.3; xdotool keydown ctrl key Tab keyup ctrl; sleep 0.3
       xdotool keyup "$key" ;;
  esac
  sleep 0.15
  [ "$action" = 3 ] && xdotool keyup q F1 Left Down space
done
xdotool keyup q F1 Left Down space ctrl Tab
sleep 1

status=0
[ -s "$dir/30.log" ] || [ -s "$dir/31.log" ] || { echo "no key reached a controller"; status=1; }
for log in "$dir"/30.log "$dir"/31.log; do
  # "HH:MM:SS.zzz key flags=0xNN code=0xNN": the low flag bit is the break.
  awk -v file="$log" '
    { hi = substr($3, 9, 1); lo = index("0123456789abcdef", substr($3, 10, 1)) - 1
      brk = lo % 2; key = hi (lo - brk) $4
      if ($4 == "code=0x09" || $4 == "code=0x04") { print file ": " $0 " is Tab"; bad = 1 }
      if (brk != down[key] + 0) { print file ": " $0 " out of turn"; bad = 1 }
      down[key] = !brk; n++ }
    END { for (k in down) if (down[k]) { print file ": " k " left down"; bad = 1 }
          print file ": " n " key messages"; exit bad }' "$log" || status=1
done
exit $status
