#!/usr/bin/env bash
# Builds the Debian packages and checks what a technician gets from them:
# unpacked into a temporary root, every program answers --help and --version
# from /usr/bin without a display, the menu entries are valid and find their
# program and icons, every program has its manual page, and the control
# fields (version, maintainer, description, library dependencies) are there.
# A folder that is not configured yet becomes a packaging tree: the
# programs only, no tests or benchmarks.
#   scripts/package-check.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
  # Optimised as shipped, without debug information: the packaged programs
  # are stripped anyway, and the tree builds a third faster without it.
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
    -DQUORVEL_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)" >/dev/null
rm -rf "$build/packages"
if ! (cd "$build" && cpack -G DEB) >"$build/cpack.log" 2>&1; then
  cat "$build/cpack.log"; exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The version each program must report, as the build set it.
versions="$build/common/generated/ProgramVersions.h"
version_of() { sed -n "s/.*$1\[\] = \"\(.*\)\";/\1/p" "$versions"; }
declare -A expected=(
  [Brenlow]=$(version_of kConsole)
  [QuorvelEnv]=$(version_of kLauncher)
  [QuorvelIns]=$(version_of kInstaller)
  [ctrlsim]=$(version_of kSimulator)
  [brenlow-snap]=$(version_of kSnapshot)
  [brenlow-web]=$(version_of kWeb)
)

shopt -s nullglob
debs=("$build"/packages/*.deb)
[ ${#debs[@]} -gt 0 ] || { echo "FAIL: cpack made no package"; exit 1; }
for deb in "${debs[@]}"; do
  name=$(basename "$deb")
  for field in Package Version Maintainer Description Depends; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "$name: no $field field"
  done
  # The dependencies were read from the programs: the Qt core library is there.
  dpkg-deb -f "$deb" Depends | grep -q 'libqt5core5a' || fail "$name: library dependencies missing"
  dpkg-deb -x "$deb" "$root"
  echo "unpacked $name: $(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)"
done

# Every program, called by name from /usr/bin, with no display at all: a
# program that tried to open a window here would abort.
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 30 "$@"; }
for program in "$root"/usr/bin/*; do
  base=$(basename "$program")
  want="$base ${expected[$base]:-?}"
  got=$(run "$program" --version 2>&1) || fail "$base --version: exit code $?"
  [ "$got" = "$want" ] && echo "$base --version: $got" || fail "$base --version: \"$got\", expected \"$want\""
  run "$program" --help 2>&1 | head -1 | grep -q '^Usage: ' || fail "$base --help: no usage line"
  [ -f "$root/usr/share/man/man1/$base.1.gz" ] && zcat "$root/usr/share/man/man1/$base.1.gz" | grep -q '^\.TH ' \
    || fail "$base: no manual page"
done
for base in "${!expected[@]}"; do
  if ls "$build"/bin/"$base" >/dev/null 2>&1; then
    [ -e "$root/usr/bin/$base" ] || fail "$base is built but not packaged"
  fi
done

# The launcher lives beside its intro videos; the command is a link there.
if [ -e "$root/usr/bin/QuorvelEnv" ]; then
  [ -L "$root/usr/bin/QuorvelEnv" ] || fail "/usr/bin/QuorvelEnv is not a link"
  target=$(readlink -f "$root/usr/bin/QuorvelEnv")
  [ "$target" = "$root/usr/lib/quorvel/QuorvelEnv" ] || fail "/usr/bin/QuorvelEnv leads to ${target#$root}"
  # Started from the menu it works in that folder too: with few audio
  # outputs the player takes skip.avi from the working folder.
  grep -qx 'Path=/usr/lib/quorvel' "$root/usr/share/applications/quorvelenv.desktop" \
    || fail "quorvelenv.desktop does not start the launcher in /usr/lib/quorvel"
fi

# The installer has no menu entry: it runs from an installation medium.
[ ! -e "$root/usr/share/applications/quorvelins.desktop" ] || fail "quorvelins.desktop is installed"

# Menu entries: valid, their program is there, and so are their icons.
entries=("$root"/usr/share/applications/*.desktop)
[ ${#entries[@]} -gt 0 ] || fail "no menu entry"
for entry in "${entries[@]}"; do
  base=$(basename "$entry")
  desktop-file-validate "$entry" || fail "$base is not a valid desktop entry"
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$root/usr/bin/$exec_name" ] || fail "$base: Exec=$exec_name is not in /usr/bin"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  hicolor="$root/usr/share/icons/hicolor"
  [ -f "$hicolor/scalable/apps/$icon.svg" ] || fail "$base: no scalable icon $icon.svg"
  for size in 16 32 48 256; do
    png="$hicolor/${size}x${size}/apps/$icon.png"
    file "$png" 2>/dev/null | grep -q "PNG image data, $size x $size" || fail "$base: no $size x $size icon"
  done
  echo "$base: valid, runs $exec_name, icon $icon"
done

# brenlow-web runs as a service: its unit, options and channel list are
# there, the two files under /etc are kept across upgrades, and the unit's
# command starts and serves with the packaged files (in a network namespace
# of its own where one can be made, so no port of this machine is taken).
if [ -e "$root/usr/bin/brenlow-web" ]; then
  unit="$root/usr/lib/systemd/system/brenlow-web.service"
  for line in DynamicUser=yes Restart=on-failure EnvironmentFile=-/etc/default/brenlow-web; do
    grep -qx "$line" "$unit" 2>/dev/null || fail "brenlow-web.service: no $line"
  done
  grep -q '^ExecStart=/usr/bin/brenlow-web .*/etc/brenlow-web/canali.txt$' "$unit" || fail "brenlow-web.service: ExecStart"
  for conffile in /etc/brenlow-web/canali.txt /etc/default/brenlow-web; do
    [ -f "$root$conffile" ] || fail "$conffile is not packaged"
    dpkg-deb -I "$build"/packages/brenlow-web_*.deb conffiles | grep -qx "$conffile" || fail "$conffile is no conffile"
  done
  serve='set -a; . "$1/etc/default/brenlow-web"; ip link set lo up 2>/dev/null;
    "$1/usr/bin/brenlow-web" --listen "$BRENLOW_WEB_LISTEN" "$1/etc/brenlow-web/canali.txt" 2>/dev/null & pid=$!;
    for i in $(seq 50); do
      if curl -fs "http://$BRENLOW_WEB_LISTEN/api/controllers" >/dev/null 2>&1; then kill $pid; exit 0; fi; sleep 0.2;
    done; kill $pid; exit 1'
  if unshare -n true 2>/dev/null; then runner=(unshare -n); else runner=(); fi
  "${runner[@]}" sh -c "$serve" sh "$root" && echo "brenlow-web.service: its command serves" \
    || fail "brenlow-web.service: its command does not serve"
fi

# What Debian's own checker says of each package: any error fails the check
# (warnings and notes are shown, not counted).
if command -v lintian >/dev/null; then
  for deb in "${debs[@]}"; do
    report=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' || true)
    [ -n "$report" ] && echo "$report"
    if grep -q '^E: ' <<<"$report"; then fail "$(basename "$deb"): lintian reports errors"; fi
  done
else
  fail "lintian is not installed (scripts/setup.sh installs it)"
fi

# The AppStream metadata of the desktop programs, as software centres read it.
for metainfo in "$root"/usr/share/metainfo/*.xml; do
  appstreamcli validate --no-net "$metainfo" >/dev/null 2>&1 \
    || { appstreamcli validate --no-net "$metainfo"; fail "$(basename "$metainfo") is not valid AppStream metadata"; }
done
for entry in "$root"/usr/share/applications/*.desktop; do
  grep -lq "<launchable type=\"desktop-id\">$(basename "$entry")</launchable>" "$root"/usr/share/metainfo/*.xml 2>/dev/null \
    || fail "$(basename "$entry") has no AppStream metadata"
done

if [ "$failures" -gt 0 ]; then
  echo "package check: $failures failure(s)"; exit 1
fi
echo "package check: ${#debs[@]} packages good"
