#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a headless KWin (KDE Plasma's compositor) on Wayland of its own: a private
# home, runtime directory and session bus, the accessibility bus switched on, and the entries
# KWin reads to grant its restricted interfaces: Cuewell's own launcher entry (as `cmake
# --install` puts it, naming this build's program) for window capture, and one for the test
# program, which drives the pointer and keys as a person would and takes screenshots. Apps the
# command starts are Wayland clients. Everything started here is ended by pid when the command
# ends. Exits 77 (a skip for CTest) when KWin is not installed.
#   CUEWELL_BINARY   the program under test (required)
#   CUEWELL_ENTRY    its launcher entry as the build configured it (required)
#   CUEWELL_SCREEN   the virtual monitor's size in pixels (default 1280x800)
set -u

source "$(dirname "$0")/lab.sh"
require_programs kwin_wayland dbus-daemon gdbus
[ -x "${CUEWELL_BINARY:-}" ] || { echo "CUEWELL_BINARY names no program"; exit 1; }
[ -f "${CUEWELL_ENTRY:-}" ] || { echo "CUEWELL_ENTRY names no launcher entry"; exit 1; }

pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  [ -n "${lab:-}" ] && rm -rf "$lab"
}
trap cleanup EXIT

lab=$(mktemp -d)
export HOME="$lab/home" XDG_RUNTIME_DIR="$lab/run" XDG_CONFIG_HOME="$lab/home/.config"
export XDG_DATA_HOME="$lab/home/.local/share" XDG_CACHE_HOME="$lab/home/.cache"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME/applications" "$lab/bin"
chmod 700 "$XDG_RUNTIME_DIR"

# KWin grants an interface to the program whose installed entry runs exactly its file.
sed "s|^Exec=.*|Exec=$(readlink -f "$CUEWELL_BINARY")|" "$CUEWELL_ENTRY" \
  >"$XDG_DATA_HOME/applications/cuewell.desktop"
cat >"$XDG_DATA_HOME/applications/cuewell-test-driver.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Cuewell's test driver
Exec=$(readlink -f "$1")
NoDisplay=true
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input
X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2
ENTRY

# Debian's kwin_wayland carries a file capability (to raise its own limits) that a container
# may not grant; a copy without it runs the same compositor.
kwin=$(command -v kwin_wayland)
if ! "$kwin" --version >/dev/null 2>&1; then
  cp "$kwin" "$lab/bin/kwin_wayland"
  kwin="$lab/bin/kwin_wayland"
fi

dbus-daemon --session --address="unix:path=$lab/session_bus" --nofork --print-address=3 \
  3>"$lab/session_address" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$lab/session_address" ] && break; sleep 0.05; done
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$lab/session_address")
export DBUS_SESSION_BUS_ADDRESS

start_accessibility_bus

display=cuewell-kwin-$$
size=${CUEWELL_SCREEN:-1280x800}
unset DISPLAY AT_SPI_BUS_ADDRESS
"$kwin" --virtual --no-lockscreen --width "${size%x*}" --height "${size#*x}" \
  --socket "$display" >"$lab/kwin.log" 2>&1 &
pids+=($!)
kwin_pid=$!
ready=0
for _ in $(seq 200); do
  if gdbus call --session --dest org.kde.KWin --object-path /Scripting \
    --method org.kde.kwin.Scripting.isScriptLoaded none >/dev/null 2>&1; then
    ready=1
    break
  fi
  kill -0 "$kwin_pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$ready" != 1 ]; then
  echo "KWin did not come up:"
  cat "$lab/kwin.log"
  exit 1
fi

# Apps and Cuewell are Wayland clients of this KWin; nothing may lead them to another desktop.
export WAYLAND_DISPLAY="$display"
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE GDK_BACKEND=wayland
export QT_QPA_PLATFORM=wayland GTK_A11Y=atspi NO_AT_BRIDGE=0 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export CUEWELL_KWIN_LOG="$lab/kwin.log"

"$@"
status=$?
[ "$status" = 0 ] || [ "$status" = 77 ] || { echo "--- KWin log"; tail -n 40 "$lab/kwin.log"; }
exit $status
