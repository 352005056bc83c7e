#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a headless GNOME Shell 48, as run-on-gnome-wayland.sh does on this machine's
# own GNOME: the shell and the apps come from a Debian 13 tree (make-gnome48-root.sh, made once
# and kept); Cuewell and the command run from here, as that shell's Wayland clients. Exits 77
# (a skip for CTest) when the tree cannot be made or this run may not mount it, saying why.
#   CUEWELL_EXTENSION_DIR  the extension built for GNOME 45 and later (required)
#   CUEWELL_BUILD_DIR      this build, so the shell can check that Cuewell is Cuewell
set -u
here=$(dirname "$(readlink -f "$0")")
root=$("$here/make-gnome48-root.sh") || exit $?
[ "$(id -u)" = 0 ] || { echo "SKIP: the GNOME 48 tree is mounted for the run, which needs root"; exit 77; }
CUEWELL_SHELL_ROOT=$root exec "$here/run-on-gnome-wayland.sh" "$@"
