// SPDX-License-Identifier: GPL-3.0-or-later
// GNOME Shell 45 and later load extensions as ES modules.
import Clutter from 'gi://Clutter';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import St from 'gi://St';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

// GLib 2.80 (GNOME 46) moved the Unix streams to GioUnix and warns at each use of the old name,
// which a later GLib may drop; GNOME 45 has only the old one.
const GioUnix = await import('gi://GioUnix').then(module => module.default, () => null);

// A stream writing into a file descriptor it then owns.
function unixOutputStream(fd) {
    const Stream = GioUnix?.OutputStream ?? Gio.UnixOutputStream;
    return new Stream({fd, close_fd: true});
}
