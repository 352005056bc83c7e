// SPDX-License-Identifier: GPL-3.0-or-later

// The service Cuewell talks to on the session bus, installed with Cuewell and changed with it:
// version 2 gives the monitors with the subscription. Signals go only to the Cuewell process
// that subscribed, never to the whole bus.
const BUS_NAME = 'org.cuewell.Shell';
const OBJECT_PATH = '/org/cuewell/Shell1';
const INTERFACE = 'org.cuewell.Shell1';
const API_VERSION = 2;
const HOT_KEY = '<Control><Alt>g';
// Changes to windows come in bursts (a menu opening moves, sizes and restacks); one list is
// sent per burst.
const CHANGE_COALESCE_MS = 16;
// A window redraws up to sixty times a second; Cuewell only needs to know it still does.
const DRAWN_INTERVAL_MS = 50;
// A person's click holds the button down for 50 ms or more.
const CLICK_WATCH_MS = 16;
const NOT_ALLOWED = 'org.cuewell.Shell.Error.NotAllowed';
const FAILED = 'org.cuewell.Shell.Error.Failed';

// The interface, written once in org.cuewell.Shell1.xml and put here when the extension is
// built; Cuewell's proxy is generated from the same file.
const SERVICE_XML = `@CUEWELL_SHELL_INTERFACE@`;

class NotAllowedError extends Error {}

class CuewellService {
    constructor() {
        this._connection = Gio.DBus.session;
        this._callers = new CallerCheck(this._connection, ALLOWED_PROGRAMS);
        this._highlight = new Highlight();
        this._subscriber = null;
        this._subscriberWatch = 0;
        this._hotKeyAction = Meta.KeyBindingAction.NONE;
        this._watchedPid = 0;
        this._changeSource = 0;
        this._drawnSource = 0;
        this._pressedAt = null;
        this._signals = [];
        this._windowSignals = new Map(); // window -> [[object, id], ...]
        this._exported = Gio.DBusExportedObject.wrapJSObject(SERVICE_XML, this);
        this._exported.export(this._connection, OBJECT_PATH);
        this._nameId = Gio.bus_own_name_on_connection(this._connection, BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
        this._clickWatch = 0;
        this._followWindows();
    }

    destroy() {
        this._unsubscribe();
        for (const [object, id] of this._signals)
            object.disconnect(id);
        this._signals = [];
        for (const window of [...this._windowSignals.keys()])
            this._forgetWindow(window);
        this._watchClicks(false);
        for (const source of [this._changeSource, this._drawnSource]) {
            if (source)
                GLib.source_remove(source);
        }
        this._highlight.destroy();
        this._exported.unexport();
        Gio.bus_unown_name(this._nameId);
    }

    // Where the ring is drawn, in logical pixels, or null.
    get shownRing() {
        return this._highlight.shown ? toLogicalRect(stageMonitors(), this._highlight.ringBox) : null;
    }

    get Version() {
        return API_VERSION;
    }

    SubscribeAsync(params, invocation) {
        this._serve(invocation, () => {
            this._subscribe(invocation.get_sender());
            return new GLib.Variant(`(ba${WINDOW_SIGNATURE}a${MONITOR_SIGNATURE})`, [
                this._hotKeyAction !== Meta.KeyBindingAction.NONE,
                describedWindows(),
                monitorList(),
            ]);
        });
    }

    WindowsAsync(params, invocation) {
        this._serve(invocation, () => windowListVariant());
    }

    CaptureWindowAsync([id, png], invocation) {
        this._serveSubscriber(invocation, async () => {
            const window = findWindow(id);
            if (!window)
                throw new Error('no such window');
            if (!mayCapture(invocation.get_sender(), this._subscriber, window.get_pid(),
                this._watchedPid))
                throw new NotAllowedError('only windows of the watched application are captured');
            const monitors = stageMonitors();
            const frame = logicalRectTuple(monitors, window.get_frame_rect());
            const buffer = logicalRectTuple(monitors, window.get_buffer_rect());
            const fds = invocation.get_message().get_unix_fd_list();
            await captureWindow(window, fds, png);
            return new GLib.Variant('((iiii)(iiii))', [frame, buffer]);
        });
    }

    ShowHighlightAsync([ring, card, title, text], invocation) {
        this._serveSubscriber(invocation, () => {
            const monitors = stageMonitors();
            const box = rect => {
                const [x, y, width, height] = toStageRect(monitors, rect);
                return {x, y, width, height};
            };
            this._highlight.show(box(ring), box(card), title, text);
            this._watchClicks(true);
            return null;
        });
    }

    HideHighlightAsync(params, invocation) {
        this._serveSubscriber(invocation, () => {
            this._highlight.hide();
            this._watchClicks(false);
            return null;
        });
    }

    // Wayland clients cannot place their own windows; Cuewell's panel is placed for it, and
    // only windows of the calling process can be.
    PlaceOwnWindowAsync([title, x, y, activate], invocation) {
        this._serveSubscriber(invocation, pid => {
            const own = global.get_window_actors()
                .map(actor => actor.get_meta_window())
                .filter(w => w && w.get_pid() === pid && w.get_title() === title);
            const [stageX, stageY] = toStagePoint(stageMonitors(), [x, y]);
            for (const window of own) {
                if (!window.is_above())
                    window.make_above();
                window.move_frame(true, Math.round(stageX), Math.round(stageY));
                // With the time of now: outside an event the shell's own idea of the time can be
                // older than the last focus change, and the window would be passed over.
                if (activate)
                    Main.activateWindow(window, global.display.get_current_time_roundtrip());
            }
            if (own.length === 0)
                throw new Error(`no window of the caller is called “${title}”`);
            return null;
        });
    }

    WatchApplicationAsync([pid], invocation) {
        this._serveSubscriber(invocation, () => {
            this._watchedPid = pid;
            return null;
        });
    }

    // Runs `answer` for an allowed caller, with its pid, and replies with what it returns;
    // refuses everyone else, and callers other than the subscriber when `subscriberOnly`.
    // Calls of one caller are answered in the order they came.
    _serve(invocation, answer, subscriberOnly = false) {
        const sender = invocation.get_sender();
        this._callers.allowedPid(sender).then(async pid => {
            if (pid === null) {
                invocation.return_dbus_error(NOT_ALLOWED,
                    'Only the Cuewell program may use this service.');
                return;
            }
            if (subscriberOnly && !isSubscriber(sender, this._subscriber)) {
                invocation.return_dbus_error(NOT_ALLOWED,
                    'Only the Cuewell that subscribed may ask this.');
                return;
            }
            try {
                invocation.return_value(await answer(pid));
            } catch (e) {
                invocation.return_dbus_error(e instanceof NotAllowedError ? NOT_ALLOWED : FAILED,
                    e.message);
            }
        });
    }

    _serveSubscriber(invocation, answer) {
        this._serve(invocation, answer, true);
    }

    _subscribe(sender) {
        if (this._subscriber === sender)
            return;
        this._unsubscribe();
        this._subscriber = sender;
        this._subscriberWatch = Gio.bus_watch_name_on_connection(this._connection, sender,
            Gio.BusNameWatcherFlags.NONE, null, () => this._unsubscribe());
        this._grabHotKey();
    }

    // Cuewell quit: its key goes back to the desktop and its ring off the screen.
    _unsubscribe() {
        if (!this._subscriber)
            return;
        Gio.bus_unwatch_name(this._subscriberWatch);
        this._subscriber = null;
        this._watchedPid = 0;
        this._highlight.hide();
        this._watchClicks(false);
        if (this._hotKeyAction !== Meta.KeyBindingAction.NONE) {
            global.display.ungrab_accelerator(this._hotKeyAction);
            Main.wm.allowKeybinding(Meta.external_binding_name_for_action(this._hotKeyAction),
                Shell.ActionMode.NONE);
            this._hotKeyAction = Meta.KeyBindingAction.NONE;
        }
    }

    _grabHotKey() {
        const action = global.display.grab_accelerator(HOT_KEY, Meta.KeyBindingFlags.NONE);
        if (action === Meta.KeyBindingAction.NONE)
            return;
        this._hotKeyAction = action;
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action),
            Shell.ActionMode.NORMAL | Shell.ActionMode.OVERVIEW);
    }

    _emit(name, variant) {
        if (this._subscriber)
            this._connection.emit_signal(this._subscriber, OBJECT_PATH, INTERFACE, name, variant);
    }

    _connect(object, signal, handler) {
        this._signals.push([object, object.connect(signal, handler)]);
    }

    _followWindows() {
        const changed = () => this._windowsChanged();
        this._connect(global.display, 'window-created', (display, window) => {
            this._followWindow(window);
            changed();
        });
        this._connect(global.display, 'notify::focus-window', changed);
        this._connect(global.display, 'restacked', changed);
        this._connect(global.workspace_manager, 'active-workspace-changed', changed);
        // A monitor added, moved or scaled moves windows too; a work area changes with a panel.
        const monitorsChanged = () => {
            this._emit('MonitorsChanged', new GLib.Variant(`(a${MONITOR_SIGNATURE})`,
                [monitorList()]));
            changed();
        };
        this._connect(Main.layoutManager, 'monitors-changed', monitorsChanged);
        this._connect(global.display, 'workareas-changed', monitorsChanged);
        this._connect(global.display, 'accelerator-activated', (display, action) => {
            if (action === this._hotKeyAction)
                this._emit('HotKeyPressed', null);
        });
        for (const actor of global.get_window_actors())
            this._followWindow(actor.get_meta_window());
    }

    _followWindow(window) {
        if (!window || this._windowSignals.has(window))
            return;
        const changed = () => this._windowsChanged();
        const connections = ['position-changed', 'size-changed', 'shown']
            .map(signal => [window, window.connect(signal, changed)]);
        connections.push([window, window.connect('unmanaged', () => {
            // The window's picture goes with it, and its handlers with the picture.
            this._forgetWindow(window, false);
            changed();
        })]);
        const actor = window.get_compositor_private();
        if (actor) {
            connections.push([actor, actor.connect('damaged', () => {
                if (this._watchedPid && window.get_pid() === this._watchedPid)
                    this._applicationDrawn();
            })]);
        }
        this._windowSignals.set(window, connections);
    }

    _forgetWindow(window, withPicture = true) {
        for (const [object, id] of this._windowSignals.get(window) ?? []) {
            if (object === window || withPicture)
                object.disconnect(id);
        }
        this._windowSignals.delete(window);
    }

    _windowsChanged() {
        if (!this._subscriber || this._changeSource)
            return;
        this._changeSource = GLib.timeout_add(GLib.PRIORITY_DEFAULT, CHANGE_COALESCE_MS, () => {
            this._changeSource = 0;
            this._emit('WindowsChanged', windowListVariant());
            return GLib.SOURCE_REMOVE;
        });
    }

    _applicationDrawn() {
        if (this._drawnSource)
            return;
        const pid = this._watchedPid;
        this._emit('ApplicationDrawn', new GLib.Variant('(u)', [pid]));
        this._drawnSource = GLib.timeout_add(GLib.PRIORITY_DEFAULT, DRAWN_INTERVAL_MS, () => {
            this._drawnSource = 0;
            return GLib.SOURCE_REMOVE;
        });
    }

    // Clicks are watched, never taken: every click goes to the application. The compositor
    // hands button events to applications before any extension could see them, so the button
    // is watched instead, and only while a ring is shown: that is when a click matters.
    _watchClicks(watch) {
        if (!watch) {
            if (this._clickWatch)
                GLib.source_remove(this._clickWatch);
            this._clickWatch = 0;
            this._pressedAt = null;
            return;
        }
        if (this._clickWatch)
            return;
        this._clickWatch = GLib.timeout_add(GLib.PRIORITY_HIGH, CLICK_WATCH_MS, () => {
            this._checkButton();
            return GLib.SOURCE_CONTINUE;
        });
    }

    _checkButton() {
        const [x, y, mods] = global.get_pointer();
        const down = (mods & Clutter.ModifierType.BUTTON1_MASK) !== 0;
        if (down && !this._pressedAt) {
            this._pressedAt = [x, y];
        } else if (!down && this._pressedAt) {
            const [pressX, pressY] = this._pressedAt;
            this._pressedAt = null;
            const window = windowAt(pressX, pressY);
            const [x, y] = toLogicalPoint(stageMonitors(), [pressX, pressY]);
            this._emit('PrimaryReleased', new GLib.Variant('(ddu)', [x, y, window ? window.get_pid() : 0]));
        }
    }
}
