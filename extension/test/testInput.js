// SPDX-License-Identifier: GPL-3.0-or-later

// Only in the build the desktop tests install, never in the one users get: a pointer and a
// keyboard for tests to drive the desktop from outside, the whole screen as a picture, what is
// on it (windows with their titles, the ring), and the overview put away. The devices are made when the extension starts: a device made on first
// use loses its first click.
const TEST_BUS_NAME = 'org.cuewell.ShellTest';
const TEST_OBJECT_PATH = '/org/cuewell/ShellTest1';
const TEST_XML = `
<node>
  <interface name="org.cuewell.ShellTest1">
    <method name="HideOverview"/>
    <method name="Click"><arg type="d" name="x" direction="in"/><arg type="d" name="y" direction="in"/></method>
    <method name="PressKeys"><arg type="as" name="keys" direction="in"/></method>
    <method name="TypeText"><arg type="s" name="text" direction="in"/></method>
    <method name="ActivateWindowOf"><arg type="u" name="pid" direction="in"/></method>
    <method name="MoveWindowOf"><arg type="u" name="pid" direction="in"/><arg type="i" name="x" direction="in"/><arg type="i" name="y" direction="in"/></method>
    <method name="Screenshot"><arg type="h" name="png" direction="in"/></method>
    <method name="Windows"><arg type="a(usb(iiii))" name="windows" direction="out"/></method>
    <method name="Ring"><arg type="b" name="shown" direction="out"/><arg type="(dddd)" name="ring" direction="out"/></method>
  </interface>
</node>`;
// As long as a person holds a button or key down.
const EVENT_GAP_MS = 80;

function pause(ms) {
    return new Promise(resolve => GLib.timeout_add(GLib.PRIORITY_DEFAULT, ms, () => {
        resolve();
        return GLib.SOURCE_REMOVE;
    }));
}

class CuewellTestInput {
    constructor(service) {
        this._service = service;
        const seat = Clutter.get_default_backend().get_default_seat();
        this._pointer = seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
        this._keyboard = seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
        this._exported = Gio.DBusExportedObject.wrapJSObject(TEST_XML, this);
        this._exported.export(Gio.DBus.session, TEST_OBJECT_PATH);
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, TEST_BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    destroy() {
        this._exported.unexport();
        Gio.bus_unown_name(this._nameId);
    }

    _reply(invocation, work) {
        Promise.resolve().then(work).then(value => invocation.return_value(value ?? null)).catch(e =>
            invocation.return_dbus_error('org.cuewell.ShellTest.Error.Failed', `${e.message}`));
    }

    // Every window on screen, front to back: pid, title, focused, frame. Positions in and out
    // are logical pixels, as Cuewell's; the screenshot has the screen's device pixels.
    WindowsAsync(params, invocation) {
        this._reply(invocation, () => new GLib.Variant('(a(usb(iiii)))', [windowsOnScreen().map(w =>
            [w.get_pid(), w.get_title() ?? '', w === global.display.focus_window,
                logicalRectTuple(stageMonitors(), w.get_frame_rect())])]));
    }

    RingAsync(params, invocation) {
        this._reply(invocation, () => {
            const ring = this._service.shownRing;
            return new GLib.Variant('(b(dddd))', [ring !== null, ring ?? [0, 0, 0, 0]]);
        });
    }

    // Refused until the shell has started up: a monitor changed before then (a lab's scale)
    // leaves the shell starting up for good, and it takes no key bindings while it is.
    HideOverviewAsync(params, invocation) {
        this._reply(invocation, () => {
            if (Main.layoutManager._startingUp)
                throw new Error('the shell is still starting up');
            Main.overview.hide();
        });
    }

    ClickAsync([x, y], invocation) {
        this._reply(invocation, async () => {
            const [stageX, stageY] = toStagePoint(stageMonitors(), [x, y]);
            this._pointer.notify_absolute_motion(GLib.get_monotonic_time(), stageX, stageY);
            await pause(EVENT_GAP_MS);
            this._pointer.notify_button(GLib.get_monotonic_time(), Clutter.BUTTON_PRIMARY,
                Clutter.ButtonState.PRESSED);
            await pause(EVENT_GAP_MS);
            this._pointer.notify_button(GLib.get_monotonic_time(), Clutter.BUTTON_PRIMARY,
                Clutter.ButtonState.RELEASED);
        });
    }

    // Key names as keysyms ("Control_L", "Alt_L", "g"): pressed in order, released in reverse.
    PressKeysAsync([keys], invocation) {
        this._reply(invocation, async () => {
            const keyvals = keys.map(name => {
                const keyval = Clutter[`KEY_${name}`];
                if (keyval === undefined)
                    throw new Error(`unknown key ${name}`);
                return keyval;
            });
            for (const keyval of keyvals) {
                this._keyboard.notify_keyval(GLib.get_monotonic_time(), keyval, Clutter.KeyState.PRESSED);
                await pause(EVENT_GAP_MS);
            }
            for (const keyval of keyvals.reverse()) {
                this._keyboard.notify_keyval(GLib.get_monotonic_time(), keyval, Clutter.KeyState.RELEASED);
                await pause(EVENT_GAP_MS);
            }
        });
    }

    TypeTextAsync([text], invocation) {
        this._reply(invocation, async () => {
            for (const character of text) {
                const keyval = Clutter.unicode_to_keysym(character.codePointAt(0));
                this._keyboard.notify_keyval(GLib.get_monotonic_time(), keyval, Clutter.KeyState.PRESSED);
                this._keyboard.notify_keyval(GLib.get_monotonic_time(), keyval, Clutter.KeyState.RELEASED);
                await pause(EVENT_GAP_MS / 3);
            }
        });
    }

    ActivateWindowOfAsync([pid], invocation) {
        this._reply(invocation, () => {
            const window = windowsOnScreen().find(w => w.get_pid() === pid && windowKind(w) === 'window');
            if (!window)
                throw new Error(`no window of ${pid}`);
            Main.activateWindow(window, global.display.get_current_time_roundtrip());
        });
    }

    // Moves the process's window so its frame starts at (x, y), in logical pixels.
    MoveWindowOfAsync([pid, x, y], invocation) {
        this._reply(invocation, () => {
            const window = windowsOnScreen().find(w => w.get_pid() === pid && windowKind(w) === 'window');
            if (!window)
                throw new Error(`no window of ${pid}`);
            const [stageX, stageY] = toStagePoint(stageMonitors(), [x, y]);
            window.move_frame(true, Math.round(stageX), Math.round(stageY));
        });
    }

    ScreenshotAsync([png], invocation) {
        this._reply(invocation, () => new Promise((resolve, reject) => {
            const fd = invocation.get_message().get_unix_fd_list().get(png);
            const stream = unixOutputStream(fd);
            new Shell.Screenshot().screenshot(false, stream, (screenshot, result) => {
                try {
                    screenshot.screenshot_finish(result);
                    stream.close(null);
                    resolve();
                } catch (e) {
                    reject(e);
                }
            });
        }));
    }
}
