// SPDX-License-Identifier: GPL-3.0-or-later
// GNOME Shell 43 and 44 load extensions as scripts with imports through `imports`.
const {Clutter, Gio, GLib, Meta, Shell, St} = imports.gi;
const Main = imports.ui.main;

// A stream writing into a file descriptor it then owns.
function unixOutputStream(fd) {
    return new Gio.UnixOutputStream({fd, close_fd: true});
}
