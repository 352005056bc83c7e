# SPDX-License-Identifier: GPL-3.0-or-later
# What the tests' desktops share (sourced by run-on-*.sh, not run): checks for the programs a
# desktop needs, and the accessibility bus of its session.

launcher=/usr/libexec/at-spi-bus-launcher

# Exits 77 (a skip for CTest) when a program or the AT-SPI bus launcher is missing.
require_programs() {
  for program in "$@"; do
    if ! command -v "$program" >/dev/null; then
      echo "SKIP: $program is not installed (bash scripts/setup.sh installs it)"
      exit 77
    fi
  done
  [ -x "$launcher" ] || { echo "SKIP: the AT-SPI bus launcher is not installed"; exit 77; }
}

# Starts the accessibility bus on the session bus and switches accessibility on; its pid joins
# the caller's `pids`.
start_accessibility_bus() {
  "$launcher" --launch-immediately >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
      >/dev/null 2>&1 && break
    sleep 0.05
  done
  for _ in $(seq 50); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
      org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
      variant:boolean:true >/dev/null 2>&1
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
      org.freedesktop.DBus.Properties.Get string:org.a11y.Status string:IsEnabled 2>/dev/null |
      grep -q true && break
    sleep 0.1
  done
}
