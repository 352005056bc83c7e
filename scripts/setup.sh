#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every package Cuewell needs to build, run and test. Safe to run again.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-dev clang-format
  # Qt 6 and coroutines on its event loop
  qt6-base-dev qt6-base-dev-tools qt6-httpserver-dev qt6-svg-dev libqt6svg6 qcoro-qt6-dev
  # translations: lupdate/lrelease and their CMake functions; Qt's own texts in other languages
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
  # the Debian package: icons drawn from the SVG, dependencies, and the checks it passes
  librsvg2-bin dpkg-dev fakeroot lintian appstream desktop-file-utils man-db
  # benchmarks
  libbenchmark-dev
  # Linux platform backend
  libatspi2.0-dev libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-composite0-dev
  libxcb-damage0-dev libxcb-res0-dev libxcb-keysyms1-dev libxcb-xfixes0-dev libxcb-shape0-dev
  libxcb-xinput-dev
  libtesseract-dev tesseract-ocr-eng
  # virtual desktop and real applications for desktop tests
  xvfb xauth openbox
  # two monitors on X11: Xorg's dummy driver, and xrandr to lay them out
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils dbus-x11 at-spi2-core xdotool x11-utils imagemagick strace
  mousepad gnome-calculator gtk-3-examples zenity qt6ct linguist-qt6 trayer galculator
  # the applications people live in, for the everyday tasks' desktop tests
  firefox-esr libreoffice-writer libreoffice-gtk3 thunar gnome-text-editor featherpad evince
  # headless GNOME Shell on Wayland for the GNOME desktop tests
  gnome-shell gnome-shell-common gjs
  # the GNOME 48 desktop tests make a Debian 13 tree with it
  mmdebstrap
  # the panel as a native client of GNOME on Wayland
  qt6-wayland
  # KDE Plasma on Wayland: the overlay's own Wayland surface; KWin for the KDE desktop tests
  libwayland-dev libwayland-bin kwin-wayland plasma-wayland-protocols wayland-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
