// SPDX-License-Identifier: GPL-3.0-or-later
// Plain GJS, outside the shell: only GLib and Gio are at hand.
const {Gio, GLib} = imports.gi;
