#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a headless GNOME Shell on Wayland of its own: a private home, runtime
# directory and session bus, an empty stand-in system bus (the shell will not start without
# one), the accessibility bus switched on, and Cuewell's shell extension (the test build, with
# its input devices) enabled before the shell starts. Apps the command starts are Wayland
# clients. Everything started here is ended by pid when the command ends. Exits 77 (a skip for
# CTest) when GNOME Shell is not installed.
#   CUEWELL_EXTENSION_DIR  the built extension to install (required)
#   CUEWELL_SHELL_ROOT     a file tree holding another GNOME (run-on-gnome48-wayland.sh): the
#                          shell and the apps named in `tree_apps` run from it, in a mount
#                          namespace of this run's own; Cuewell and the tests run from here
#   CUEWELL_BUILD_DIR      this build, shown to that shell so it can check who calls it
#   CUEWELL_SCREEN         the virtual monitor's size in pixels (default 1280x800)
#   CUEWELL_SCALE          its scale: 1, 2, or a fraction such as 1.25 (default 1)
#   CUEWELL_SECOND_SCREEN  the size of a second monitor, right of the first (default none)
#   CUEWELL_SECOND_SCREEN_SIDE  "left" puts the second monitor left of the first (scale 1)
set -u

source "$(dirname "$0")/lab.sh"
shell_root=${CUEWELL_SHELL_ROOT:-}
if [ -n "$shell_root" ]; then
  require_programs chroot unshare dbus-daemon gdbus
  # The other tree's mounts are made in a mount namespace of this run alone.
  [ -n "${CUEWELL_OWN_MOUNTS:-}" ] ||
    CUEWELL_OWN_MOUNTS=1 exec unshare --mount --propagation private "$0" "$@"
else
  require_programs gnome-shell gjs dbus-daemon gsettings
fi
[ -d "${CUEWELL_EXTENSION_DIR:-}" ] || { echo "CUEWELL_EXTENSION_DIR names no built extension"; exit 1; }
uuid=cuewell@cuewell.org

pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  # The other tree keeps no trace of the run: its mount point for this run's folder goes too.
  if [ -n "$shell_root" ] && [ -n "${lab:-}" ] && umount -l "$shell_root$lab" 2>/dev/null; then
    rmdir "$shell_root$lab"
  fi
  [ -n "${lab:-}" ] && rm -rf "$lab"
}
trap cleanup EXIT

lab=$(mktemp -d)
export HOME="$lab/home" XDG_RUNTIME_DIR="$lab/run" XDG_CONFIG_HOME="$lab/home/.config"
export XDG_DATA_HOME="$lab/home/.local/share" XDG_CACHE_HOME="$lab/home/.cache"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME/gnome-shell/extensions"
chmod 700 "$XDG_RUNTIME_DIR"
cp -r "$CUEWELL_EXTENSION_DIR" "$XDG_DATA_HOME/gnome-shell/extensions/$uuid"

# Runs a program of the shell's GNOME: from the other tree when there is one.
in_shell_tree() {
  if [ -n "$shell_root" ]; then chroot "$shell_root" "$@"; else "$@"; fi
}
# The apps the tests start by name; Qt Linguist's own folder is not on PATH.
tree_apps=(/usr/bin/gnome-calculator /usr/bin/mousepad /usr/bin/qt6ct /usr/lib/qt6/bin/linguist)
if [ -n "$shell_root" ]; then
  # The other tree sees the system's files, this run's folder, and the build (read-only) at
  # the paths they have here; the buses and the display are sockets in this run's folder or
  # abstract ones. All of it goes with the mount namespace when the run ends.
  for dir in /proc /sys /dev; do mount --rbind "$dir" "$shell_root$dir"; done
  mount -t tmpfs tmpfs "$shell_root/dev/shm"
  mkdir -p "$shell_root$lab"
  mount --bind "$lab" "$shell_root$lab"
  if [ -n "${CUEWELL_BUILD_DIR:-}" ]; then
    mkdir -p "$shell_root$CUEWELL_BUILD_DIR"
    mount --bind -o ro "$CUEWELL_BUILD_DIR" "$shell_root$CUEWELL_BUILD_DIR"
  fi
  cp /etc/machine-id "$shell_root/etc/machine-id" 2>/dev/null
fi
# Each name starts the app of the shell's GNOME.
mkdir -p "$lab/bin"
for app in "${tree_apps[@]}"; do
  if [ -n "$shell_root" ]; then
    printf '#!/bin/sh\nexec chroot %q %q "$@"\n' "$shell_root" "$app" >"$lab/bin/${app##*/}"
  else
    printf '#!/bin/sh\nexec %q "$@"\n' "$app" >"$lab/bin/${app##*/}"
  fi
  chmod +x "$lab/bin/${app##*/}"
done
export PATH="$lab/bin:$PATH"

# The session bus listens in this run's folder, which another tree sees at the same path.
start_session_bus() {
  dbus-daemon --session --address="unix:path=$lab/session_bus" --nofork --print-address=3 \
    3>"$lab/session_address" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$lab/session_address" ] && break; sleep 0.05; done
  head -n1 "$lab/session_address"
}
cat >"$lab/system.conf" <<EOF
<busconfig><type>system</type><listen>unix:path=$lab/system_bus</listen>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
<allow own="*"/></policy></busconfig>
EOF
dbus-daemon --config-file="$lab/system.conf" --nofork >/dev/null 2>&1 &
pids+=($!)
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$lab/system_bus"
DBUS_SESSION_BUS_ADDRESS=$(start_session_bus)
export DBUS_SESSION_BUS_ADDRESS

# Settings live in the private home's dconf database, written before the shell reads them.
export GSETTINGS_BACKEND=dconf
in_shell_tree gsettings set org.gnome.shell disable-user-extensions false
in_shell_tree gsettings set org.gnome.shell enabled-extensions "['$uuid']"
in_shell_tree gsettings set org.gnome.shell welcome-dialog-last-shown-version '999'
in_shell_tree gsettings set org.gnome.desktop.a11y.applications screen-reader-enabled false
in_shell_tree gsettings set org.gnome.desktop.interface toolkit-accessibility true
# No banners: the shell greets a session as root with one, over the apps under test.
in_shell_tree gsettings set org.gnome.desktop.notifications show-banners false
rm -f "$XDG_RUNTIME_DIR/gnome-shell-disable-extensions"
# A fractional scale needs the shell to lay monitors out in logical pixels, as GNOME's
# settings switch it to when a person picks one.
case "${CUEWELL_SCALE:-1}" in
  1 | 2 | 3) ;;
  *) in_shell_tree gsettings set org.gnome.mutter experimental-features "['scale-monitor-framebuffer']" ;;
esac

start_accessibility_bus

display=cuewell-wayland-$$
in_shell_tree gnome-shell --headless --wayland --no-x11 --wayland-display "$display" \
  --virtual-monitor "${CUEWELL_SCREEN:-1280x800}" \
  ${CUEWELL_SECOND_SCREEN:+--virtual-monitor "$CUEWELL_SECOND_SCREEN"} >"$lab/shell.log" 2>&1 &
pids+=($!)
shell_pid=$!
export WAYLAND_DISPLAY="$display"
ready=0
for _ in $(seq 300); do
  if gdbus call --session --dest org.cuewell.ShellTest --object-path /org/cuewell/ShellTest1 \
    --method org.cuewell.ShellTest1.HideOverview >/dev/null 2>&1; then
    ready=1
    break
  fi
  kill -0 "$shell_pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$ready" != 1 ]; then
  echo "GNOME Shell did not come up with the extension:"
  cat "$lab/shell.log"
  exit 1
fi

# The monitors as GNOME's display settings set them (for this session only): the first at
# CUEWELL_SCALE, a second one beside it on the side CUEWELL_SECOND_SCREEN_SIDE names.
first=${CUEWELL_SCREEN:-1280x800}
if [ "${CUEWELL_SCALE:-1}" != 1 ] || [ "${CUEWELL_SECOND_SCREEN_SIDE:-right}" != right ]; then
  display_config=(gdbus call --session --dest org.gnome.Mutter.DisplayConfig
    --object-path /org/gnome/Mutter/DisplayConfig --method)
  state=$("${display_config[@]}" org.gnome.Mutter.DisplayConfig.GetCurrentState)
  serial=$(grep -oE '^\(uint32 [0-9]+' <<<"$state" | grep -oE '[0-9]+$')
  mode_of() { grep -oE "$1@[0-9.]+" <<<"$state" | head -n1; }
  primary="('Meta-0', '$(mode_of "$first")', @a{sv} {})"
  if [ -z "${CUEWELL_SECOND_SCREEN:-}" ]; then
    layout="[(0, 0, $CUEWELL_SCALE, uint32 0, true, [$primary])]"
  else
    second="('Meta-1', '$(mode_of "$CUEWELL_SECOND_SCREEN")', @a{sv} {})"
    # GNOME lays monitors out from 0,0: one left of the main monitor puts that at an offset.
    layout="[(0, 0, 1.0, uint32 0, false, [$second]),
      (${CUEWELL_SECOND_SCREEN%x*}, 0, ${CUEWELL_SCALE:-1}.0, uint32 0, true, [$primary])]"
  fi
  "${display_config[@]}" org.gnome.Mutter.DisplayConfig.ApplyMonitorsConfig "$serial" 1 \
    "$layout" '@a{sv} {}' >/dev/null || {
    echo "GNOME Shell refused the monitors $layout"
    exit 1
  }
fi

# Apps and Cuewell are Wayland clients of this shell; nothing may lead them to another desktop.
unset DISPLAY AT_SPI_BUS_ADDRESS
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME GDK_BACKEND=wayland
export QT_QPA_PLATFORM=wayland GTK_A11Y=atspi NO_AT_BRIDGE=0 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export CUEWELL_SHELL_LOG="$lab/shell.log"

"$@"
status=$?
[ "$status" = 0 ] || [ "$status" = 77 ] || { echo "--- shell log"; tail -n 40 "$lab/shell.log"; }
exit $status
