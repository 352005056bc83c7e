#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a virtual desktop of its own: Xvfb, a D-Bus session with the accessibility
# bus switched on, and the openbox window manager. Everything it starts is ended by pid when
# the command ends. Exits 77 (a skip for CTest) when a needed program is missing.
#   CUEWELL_SCREEN         the screen's size and depth (default 1280x800x24)
#   CUEWELL_SECOND_SCREEN  the size of a second monitor, right of the first (default none);
#                          Xvfb has one output, so two monitors run on Xorg's dummy driver
#   CUEWELL_SECOND_SCREEN_SIDE  "left" puts the second monitor left of the first
set -u

source "$(dirname "$0")/lab.sh"
require_programs Xvfb openbox dbus-daemon xdotool

pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  [ -n "${runtime:-}" ] && rm -rf "$runtime"
}
trap cleanup EXIT

display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
runtime=$(mktemp -d)
chmod 700 "$runtime"
export DISPLAY=":$display"
if [ -z "${CUEWELL_SECOND_SCREEN:-}" ]; then
  Xvfb ":$display" -screen 0 "${CUEWELL_SCREEN:-1280x800x24}" -nolisten tcp -noreset \
    >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
else
  start_two_monitors "$display" "$runtime"
fi

export XDG_RUNTIME_DIR="$runtime"
address_file="$runtime/bus"
dbus-daemon --session --nofork --print-address=3 3>"$address_file" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$address_file" ] && break; sleep 0.05; done
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$address_file")

start_accessibility_bus

openbox >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.05; done

# Desktop tests draw on this display; nothing here may be a leftover of the caller's desktop.
unset WAYLAND_DISPLAY QT_QPA_PLATFORM AT_SPI_BUS_ADDRESS
export GTK_A11Y=atspi NO_AT_BRIDGE=0 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

"$@"
exit $?
