// SPDX-License-Identifier: GPL-3.0-or-later
// Cuewell's script inside KWin: tells Cuewell, over the session bus, which windows there are,
// where, which one is active and when one draws. It runs only while Cuewell runs: Cuewell
// loads it at start and unloads it as it quits. It sends to Cuewell's own connection only,
// whose unique name Cuewell writes in below as it loads the script, with its process id.
const cuewell = "__CUEWELL_BUS_NAME__";
const cuewellPid = __CUEWELL_PID__;
// Only Cuewell's own script holds the hot key (a second listener, such as a test, does not).
const takesHotKey = __CUEWELL_TAKES_HOT_KEY__;
const path = "/org/cuewell/KWin";
const iface = "org.cuewell.KWin1";

// Plasma 6 renamed clients to windows.
const plasma6 = typeof workspace.windowList === "function";
const allWindows = () => (plasma6 ? workspace.windowList() : workspace.clientList());
const activeWindow = () => (plasma6 ? workspace.activeWindow : workspace.activeClient);

function on(signal, handler)
{
    if (signal && typeof signal.connect === "function")
        signal.connect(handler);
}

function rectangle(r)
{
    return [ Math.round(r.x), Math.round(r.y), Math.round(r.width), Math.round(r.height) ];
}

const popupLayer = 7; // KWin's stacking layers, bottom to top: desktop 0 ... popups 7, overlays

function kindOf(w)
{
    if (w.desktopWindow)
        return "desktop";
    if (w.dock)
        return "dock";
    // Above popups: notifications, on-screen displays, overlays such as Cuewell's highlight.
    if (typeof w.layer === "number" && w.layer > popupLayer)
        return "overlay";
    if (w.popupWindow || w.popupMenu || w.dropdownMenu || w.comboBox || w.tooltip)
        return "popup";
    if (w.normalWindow || w.dialog || w.utility || w.transient)
        return "window";
    return "other";
}

function describe(w, stacked)
{
    return {
        id : String(w.internalId),
        pid : w.pid,
        name : String(w.resourceClass || ""),
        kind : kindOf(w),
        frame : rectangle(w.frameGeometry),
        buffer : rectangle(w.bufferGeometry || w.frameGeometry),
        minimized : !!w.minimized,
        stacking : typeof w.stackingOrder === "number" ? w.stackingOrder : stacked,
    };
}

let gone = null; // a window being removed is still listed while its signal runs
function report()
{
    const active = activeWindow();
    const windows = [];
    allWindows().forEach((w, index) => {
        // Cuewell's highlight is no window to guide in or to place a panel beside.
        if (w !== gone && !w.deleted && w.pid > 0 && !isHighlight(w))
            windows.push(describe(w, index));
    });
    const message = {active : active ? String(active.internalId) : "", windows : windows};
    callDBus(cuewell, path, iface, "Windows", JSON.stringify(message));
}

// Frames: Cuewell waits after a click until the application has stopped drawing. At most one
// message per window every 20 ms; a window that draws keeps sending.
const lastDrawn = {};
function drawn(w)
{
    const id = String(w.internalId);
    const now = Date.now();
    if (now - (lastDrawn[id] || 0) < 20)
        return;
    lastDrawn[id] = now;
    callDBus(cuewell, path, iface, "Drawn", w.pid);
}

// Cuewell's panel goes to the top right of the work area, above other windows, so the window
// it guides in stays in view (a Wayland client cannot place itself).
// The panel has a title; the highlight, a surface of its own above all windows, has none.
function isPanel(w)
{
    return w.pid === cuewellPid && w.normalWindow && !!w.caption;
}

function activate(w)
{
    if (plasma6)
        workspace.activeWindow = w;
    else
        workspace.activeClient = w;
}

// The hot key, Control+Alt+G: KWin gives Cuewell's panel the keyboard (a Wayland client
// cannot take it), and tells Cuewell, which shows the panel if it is not shown yet.
let hotKeyPressedAt = 0;
const panelShowsWithinMs = 3000;
if (takesHotKey) {
    registerShortcut("Cuewell: open the panel", "Cuewell: open the panel", "Ctrl+Alt+G", () => {
        hotKeyPressedAt = Date.now();
        const panel = allWindows().find(isPanel);
        if (panel)
            activate(panel);
        callDBus(cuewell, path, iface, "HotKeyPressed");
    });
}

// Cuewell's panel goes where Cuewell asks (beside the window it guides in, off the ring), or
// else to the top right of the work area, above other windows: a Wayland client cannot place
// itself. Cuewell is asked as the panel appears and as its highlight appears or moves.
function placePanel(panel)
{
    callDBus(cuewell, path, iface, "PanelPlace", (wanted, x, y) => {
        const area = workspace.clientArea(KWin.PlacementArea, panel);
        const g = panel.frameGeometry;
        const margin = 16;
        panel.frameGeometry = {
            x: wanted ? x : area.x + area.width - g.width - margin,
            y: wanted ? y : area.y + margin,
            width: g.width,
            height: g.height,
        };
    });
}

function isHighlight(w)
{
    return w.pid === cuewellPid && !w.caption;
}

function placeIfCuewells(w)
{
    if (isHighlight(w)) {
        const panel = allWindows().find(isPanel);
        if (panel)
            placePanel(panel);
        return;
    }
    if (!isPanel(w))
        return;
    if (Date.now() - hotKeyPressedAt < panelShowsWithinMs)
        activate(w);
    placePanel(w);
    w.keepAbove = true;
}

// KWin tells no program of clicks. A window or popup that opens under the pointer was opened
// by a click there (hovering opens only tooltips), so Cuewell takes it for that click.
function opened(w)
{
    const at = workspace.cursorPos;
    if (w.tooltip || !(w.pid > 0) || !at)
        return;
    callDBus(cuewell, path, iface, "Opened", w.pid, Math.round(at.x), Math.round(at.y));
}

function watch(w)
{
    on(w.frameGeometryChanged, report);
    if (isHighlight(w))
        on(w.frameGeometryChanged, () => placeIfCuewells(w));
    on(w.minimizedChanged, report);
    on(w.stackingOrderChanged, report);
    on(w.damaged, () => drawn(w));
}

allWindows().forEach(watch);
on(plasma6 ? workspace.windowAdded : workspace.clientAdded, w => {
    watch(w);
    placeIfCuewells(w);
    report();
    opened(w);
});
on(plasma6 ? workspace.windowRemoved : workspace.clientRemoved, w => {
    gone = w;
    delete lastDrawn[String(w.internalId)];
    report();
    gone = null;
});
on(plasma6 ? workspace.windowActivated : workspace.clientActivated, report);
on(workspace.stackingOrderChanged, report);
report();
