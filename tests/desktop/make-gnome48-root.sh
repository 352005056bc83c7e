#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the file tree of a current GNOME desktop for the tests: Debian 13 with GNOME Shell 48,
# GTK 4 and Qt 6 apps, from Debian's archive alone, made once and kept. Prints the tree's path.
# Exits 77 (a skip for CTest) when it cannot be made here, saying why.
#   CUEWELL_GNOME48_ROOT  where the tree is kept (default /var/cache/cuewell/gnome48-root)
set -euo pipefail

root=${CUEWELL_GNOME48_ROOT:-/var/cache/cuewell/gnome48-root}
# Bumped when the package list changes, so that a kept tree is made again.
recipe=3
packages=(
  gnome-shell gnome-shell-common mutter-common gjs dbus dbus-daemon dbus-x11 at-spi2-core
  dconf-cli dconf-gsettings-backend libglib2.0-bin xauth
  fonts-cantarell fonts-dejavu-core adwaita-icon-theme
  gnome-calculator mousepad qt6-wayland qt6ct linguist-qt6
)

skip() { echo "SKIP: $*" >&2; exit 77; }

if [ -f "$root/.cuewell-recipe" ] && [ "$(cat "$root/.cuewell-recipe")" = "$recipe" ]; then
  echo "$root"
  exit 0
fi
[ "$(id -u)" = 0 ] || skip "making the GNOME 48 tree needs root (it is made with mmdebstrap)"
command -v mmdebstrap >/dev/null || skip "mmdebstrap is not installed (bash scripts/setup.sh installs it)"

# The mirror this machine's apt already uses.
mirror=$(grep -hoE '^(URIs:|deb) *https?://[^ ]+/debian/?' /etc/apt/sources.list \
  /etc/apt/sources.list.d/* 2>/dev/null | grep -oE 'https?://[^ ]+' | head -n1 || true)
mirror=${mirror:-http://deb.debian.org/debian}

rm -rf "$root" "$root.new"
mkdir -p "$(dirname "$root")"
started=$(date +%s)
if ! mmdebstrap --quiet --variant=apt --components=main \
  --include="$(IFS=,; echo "${packages[*]}")" trixie "$root.new" "$mirror" >&2; then
  rm -rf "$root.new"
  skip "mmdebstrap could not make a Debian 13 tree from $mirror"
fi
echo "$recipe" >"$root.new/.cuewell-recipe"
mv "$root.new" "$root"
echo "made $root in $(($(date +%s) - started)) s ($(du -sxh "$root" 2>/dev/null | cut -f1))" >&2
echo "$root"
