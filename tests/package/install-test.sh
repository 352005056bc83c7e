#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a user meets it: installed with apt-get, in the launcher with its icon,
# guiding a whole task on a virtual desktop, and removed again leaving nothing of itself behind
# (the user's settings stay in their home). Needs root or sudo; takes the package
# scripts/package.sh built and the desktop test the default build made. Exit 77: skipped.
set -euo pipefail
cd "$(dirname "$0")/../.."

sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then
  if ! sudo -n true 2>/dev/null; then
    echo "skipped: installing a package needs root or sudo without a password"
    exit 77
  fi
  sudo_cmd="sudo"
fi
if dpkg-query -W -f='${Status}' cuewell 2>/dev/null | grep -q 'install ok installed'; then
  echo "skipped: a Cuewell package is already installed here, and this test would remove it"
  exit 77
fi
deb=$(ls build-package/cuewell_*.deb)
fail() { echo "FAIL: $*" >&2; exit 1; }

DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "./$deb" >/dev/null
mapfile -t files < <(dpkg -L cuewell | while read -r path; do [ -f "$path" ] && echo "$path"; done)
echo "installed ${#files[@]} files"

# In the launcher, with its icon, and described for software centres.
desktop-file-validate /usr/share/applications/cuewell.desktop
grep -qx 'Exec=/usr/bin/cuewell' /usr/share/applications/cuewell.desktop ||
  fail "the launcher does not run /usr/bin/cuewell"
grep -qx 'X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2' \
  /usr/share/applications/cuewell.desktop || fail "KDE Plasma would not let cuewell capture windows"
[ "$(command -v cuewell)" = /usr/bin/cuewell ] || fail "cuewell is not /usr/bin/cuewell on PATH"
for size in 16x16 32x32 48x48 128x128 256x256 scalable; do
  ls /usr/share/icons/hicolor/$size/apps/cuewell.* >/dev/null || fail "no $size icon"
done
appstreamcli validate --no-net /usr/share/metainfo/org.cuewell.Cuewell.metainfo.xml
man -w cuewell >/dev/null || fail "no manual page"
[ "$(/usr/bin/cuewell --version)" = "Cuewell $(sed -n 's/^project(Cuewell VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" ] \
  || fail "the installed program's version is not this source's"

# A whole task, guided by the installed program.
CUEWELL_PROGRAM=/usr/bin/cuewell OMP_THREAD_LIMIT=1 \
  tests/desktop/run-on-virtual-desktop.sh build/tests/EndToEndDesktopTest "wholeTask:mousepad"

DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get remove -y -qq cuewell >/dev/null
for path in "${files[@]}"; do
  [ ! -e "$path" ] || fail "$path is still there after removal"
done
[ ! -e /usr/share/gnome-shell/extensions/cuewell@cuewell.org ] || fail "the extension's folder stayed"
echo "the package installs, guides a whole task and is removed cleanly"
