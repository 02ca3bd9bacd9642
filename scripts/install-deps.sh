#!/usr/bin/env bash
# Installs every package the program, its tests and its tools need (Debian 12). Idempotent.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev
  librtaudio-dev librtmidi-dev libfluidsynth-dev libsndfile1-dev libsoxr-dev
  jackd2 libjack-jackd2-dev pulseaudio pulseaudio-utils libasound2-plugins libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  fonts-liberation fluid-soundfont-gm timgm6mb-soundfont
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth x11-utils imagemagick sox libsox-fmt-all openbox xdotool wmctrl qt6-translations-l10n
  openttd-openmsx abcmidi midicsv desktop-file-utils appstream ccache
  liblo-dev liblo-tools
  libcivetweb-dev libqrencode-dev chromium chromium-driver python3-selenium
  libxtst-dev
  libltc-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # jackd2 asks about real-time priority; answer it up front.
  echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
