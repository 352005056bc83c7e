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

# An X server with two monitors side by side, on Xorg's dummy driver (Xvfb has one RandR output,
# which Qt takes for one screen whatever the monitors set on it): the first monitor of
# CUEWELL_SCREEN's size is the primary, the second of CUEWELL_SECOND_SCREEN's size is right of
# it, or left of it when CUEWELL_SECOND_SCREEN_SIDE is "left" (the primary then starts at an
# offset). Its pid joins the caller's `pids`; exits 77 when Xorg or its dummy driver is missing
# or Xorg cannot start.
start_two_monitors() {
  local display=$1 folder=$2
  require_programs Xorg xrandr gtf
  [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] ||
    { echo "SKIP: Xorg's dummy driver is not installed (bash scripts/setup.sh installs it)"; exit 77; }
  local first=${CUEWELL_SCREEN:-1280x800x24}
  first=${first%x*}
  local second=$CUEWELL_SECOND_SCREEN
  local width=$((${first%x*} + ${second%x*}))
  local height=$((${first#*x} > ${second#*x} ? ${first#*x} : ${second#*x}))
  cat >"$folder/xorg.conf" <<CONF
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual $width $height
  EndSubSection
EndSection
CONF
  Xorg ":$display" -config "$folder/xorg.conf" -noreset -nolisten tcp \
    -logfile "$folder/xorg.log" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 200); do xrandr >/dev/null 2>&1 && break; sleep 0.05; done
  # Xorg needs a root user (or its setuid wrapper's console) to start: without one, a skip.
  if ! xrandr >/dev/null 2>&1; then
    echo "SKIP: Xorg with the dummy driver did not start here:"
    tail -n 20 "$folder/xorg.log"
    exit 77
  fi
  local names=() size mode
  for size in "$first" "$second"; do
    mode=$(gtf "${size%x*}" "${size#*x}" 60 | sed -n 's/^ *Modeline //p' | tr -d '"')
    names+=("${mode%% *}")
    xrandr --newmode $mode 2>/dev/null # (two monitors of one size share their mode)
  done
  xrandr --addmode DUMMY0 "${names[0]}" && xrandr --addmode DUMMY1 "${names[1]}" || exit 1
  local at_first=0x0 at_second="${first%x*}x0"
  if [ "${CUEWELL_SECOND_SCREEN_SIDE:-right}" = left ]; then
    at_first="${second%x*}x0"
    at_second=0x0
  fi
  xrandr --fb "${width}x${height}" \
    --output DUMMY0 --mode "${names[0]}" --pos "$at_first" --primary \
    --output DUMMY1 --mode "${names[1]}" --pos "$at_second" || exit 1
  # The dummy driver connects an output once it has a mode; applications read the state that
  # the last probe left (GTK), so it is probed again.
  xrandr >/dev/null
}
