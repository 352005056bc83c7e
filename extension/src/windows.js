// SPDX-License-Identifier: GPL-3.0-or-later

// The windows on screen as Cuewell sees them: front to back, with the pid of the process that
// owns each, its visible frame and the buffer it draws (the frame plus client-side shadows).
const POPUP_TYPES = [
    Meta.WindowType.MENU, Meta.WindowType.DROPDOWN_MENU, Meta.WindowType.POPUP_MENU,
    Meta.WindowType.TOOLTIP, Meta.WindowType.COMBO,
];
const HIDDEN_TYPES = [Meta.WindowType.DESKTOP, Meta.WindowType.DND];
// The layers Cuewell sorts windows by: ordinary windows, windows kept above, popups.
const LAYER_NORMAL = 0;
const LAYER_ABOVE = 3;
const LAYER_POPUP = 101;
// One entry of the list: id, pid, layer, kind, focused, application name, frame, buffer.
const WINDOW_SIGNATURE = '(tuusbs(iiii)(iiii))';

function windowKind(window) {
    if (POPUP_TYPES.includes(window.get_window_type()))
        return 'popup';
    // Popups of Wayland clients (menus, popovers) are windows with a parent surface.
    if (window.get_client_type() === Meta.WindowClientType.WAYLAND &&
        window.get_transient_for() !== null && window.get_window_type() !== Meta.WindowType.DIALOG &&
        window.get_window_type() !== Meta.WindowType.MODAL_DIALOG && !window.decorated)
        return 'popup';
    return 'window';
}

function windowLayer(window, kind) {
    if (kind === 'popup')
        return LAYER_POPUP;
    return window.is_above() ? LAYER_ABOVE : LAYER_NORMAL;
}

function isOnScreen(window) {
    if (HIDDEN_TYPES.includes(window.get_window_type()) || window.minimized || window.is_hidden())
        return false;
    const workspace = global.workspace_manager.get_active_workspace();
    return window.is_on_all_workspaces() || window.get_workspace() === workspace ||
        windowKind(window) === 'popup';
}

// Front to back.
function windowsOnScreen() {
    return global.get_window_actors()
        .map(actor => actor.get_meta_window())
        .filter(window => window !== null && isOnScreen(window))
        .reverse();
}

function describeWindow(window, monitors) {
    const kind = windowKind(window);
    return [window.get_id(), window.get_pid(), windowLayer(window, kind), kind,
        window === global.display.focus_window, applicationName(window),
        logicalRectTuple(monitors, window.get_frame_rect()),
        logicalRectTuple(monitors, window.get_buffer_rect())];
}

// The name people know the application by ("Calculator"), or the empty text. An application
// the shell knows only by its window (a Qt program without a desktop entry that matches it) is
// named by its window's class, or else its title, not by the shell's "Unknown".
function applicationName(window) {
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    if (!app)
        return '';
    if (!app.is_window_backed())
        return app.get_name() ?? '';
    return window.get_wm_class() || window.get_title() || '';
}

// The windows on screen as the list sends them.
function describedWindows() {
    const monitors = stageMonitors();
    return windowsOnScreen().map(window => describeWindow(window, monitors));
}

function windowListVariant() {
    return new GLib.Variant(`(a${WINDOW_SIGNATURE})`, [describedWindows()]);
}

function findWindow(id) {
    return windowsOnScreen().find(window => window.get_id() === id) ?? null;
}

function windowAt(x, y) {
    return windowsOnScreen().find(window => {
        const r = window.get_frame_rect();
        return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
    }) ?? null;
}
