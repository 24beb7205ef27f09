#!/usr/bin/env bash
# Installs what building, running and testing Starvane needs on Debian 12.
set -euo pipefail
if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  build-essential cmake pkg-config git ca-certificates \
  qt6-base-dev libqt6svg6 qt6-qpa-plugins libgl-dev libudev-dev libgtest-dev \
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 gcc-mingw-w64-x86-64 \
  clang libclang-rt-14-dev \
  xvfb xdotool x11-utils imagemagick fonts-dejavu-core \
  python3 socat python3-pyatspi at-spi2-core dbus >/dev/null
