#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Cuewell needs, builds it, installs it under /usr/local and starts it on the
# current desktop: X11, or GNOME on Wayland, where it also installs Cuewell's GNOME Shell
# extension for this user. The extension serves only the installed, root-owned program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
# The extension serves the program at the prefix it was built for: the one installed below.
cmake --preset default -DCMAKE_INSTALL_PREFIX=/usr/local >/dev/null
cmake --build --preset default -j "$(nproc)"
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
$sudo_cmd cmake --install build --prefix /usr/local

uuid=cuewell@cuewell.org
# GNOME loads the extension at log-in once it is listed as enabled; `gnome-extensions enable`
# switches it on at once when the running shell already knows it.
enable_at_login() {
  local list
  list=$(gsettings get org.gnome.shell enabled-extensions)
  case "$list" in *"'$uuid'"*) return ;; esac
  if [ "$list" = "@as []" ] || [ "$list" = "[]" ]; then list="['$uuid']"; else list="${list%]}, '$uuid']"; fi
  gsettings set org.gnome.shell enabled-extensions "$list"
}
if [ "${XDG_SESSION_TYPE:-}" = wayland ] && [[ "${XDG_CURRENT_DESKTOP:-}" == *GNOME* ]]; then
  target="${XDG_DATA_HOME:-$HOME/.local/share}/gnome-shell/extensions/$uuid"
  mkdir -p "$target"
  cp -r "build/extension/$(cat build/extension/installed-form)/$uuid/." "$target/"
  enable_at_login
  if ! gnome-extensions enable "$uuid" 2>/dev/null; then
    echo "Cuewell's GNOME Shell extension is installed and turns on when you next log in."
    echo "Log out and back in once, then start Cuewell again with: bash scripts/run.sh"
  fi
fi

exec /usr/local/bin/cuewell "$@"
