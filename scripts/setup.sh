#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with, when any is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools libqt5svg5-dev qttranslations5-l10n
  libphonon4qt5-dev phonon4qt5-backend-gstreamer
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  libxcb1-dev
  dpkg-dev file desktop-file-utils lintian appstream
  xvfb xauth x11-utils imagemagick xdotool
  clang libclang-rt-14-dev
  libqt5websockets5-dev libhttp-parser-dev curl
  chromium chromium-driver python3-selenium
  lld iproute2
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
