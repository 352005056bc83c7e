// SPDX-License-Identifier: GPL-3.0-or-later

// Cuewell, applications and Qt's screens count logical pixels. GNOME lays the stage out in
// logical pixels too when fractional scaling is on; otherwise (its default at whole scales)
// the stage counts device pixels, and a monitor at scale 2 is half as many logical pixels wide
// from the same corner. Every position that crosses the service is turned between the two here.
//
// A monitor is {x, y, width, height, factor}: its place on the stage, in stage pixels, and how
// many stage pixels make one logical pixel on it (1 on a logically laid out stage).

// The monitors as the shell has them now. A stage laid out logically draws each monitor's
// view at that monitor's scale; one laid out in device pixels draws every view at 1.
function stageMonitors() {
    const devicePixels = global.stage.peek_stage_views().every(view => view.get_scale() === 1);
    return Main.layoutManager.monitors.map((monitor, index) => ({
        x: monitor.x, y: monitor.y, width: monitor.width, height: monitor.height,
        factor: devicePixels ? global.display.get_monitor_scale(index) : 1,
    }));
}

// The monitor holding a point, in stage pixels (`logical` false) or logical ones; else the
// first one. Null when there is no monitor.
function monitorAt(monitors, x, y, logical) {
    return monitors.find(m => {
        const width = logical ? m.width / m.factor : m.width;
        const height = logical ? m.height / m.factor : m.height;
        return x >= m.x && y >= m.y && x < m.x + width && y < m.y + height;
    }) ?? monitors[0] ?? null;
}

function toLogicalPoint(monitors, [x, y]) {
    const m = monitorAt(monitors, x, y, false);
    return m ? [m.x + (x - m.x) / m.factor, m.y + (y - m.y) / m.factor] : [x, y];
}

function toStagePoint(monitors, [x, y]) {
    const m = monitorAt(monitors, x, y, true);
    return m ? [m.x + (x - m.x) * m.factor, m.y + (y - m.y) * m.factor] : [x, y];
}

// A rectangle [x, y, width, height] goes with the monitor its corner is on.
function toLogicalRect(monitors, [x, y, width, height]) {
    const m = monitorAt(monitors, x, y, false);
    const factor = m ? m.factor : 1;
    return [...toLogicalPoint(monitors, [x, y]), width / factor, height / factor];
}

function toStageRect(monitors, [x, y, width, height]) {
    const m = monitorAt(monitors, x, y, true);
    const factor = m ? m.factor : 1;
    return [...toStagePoint(monitors, [x, y]), width * factor, height * factor];
}

// A window's rectangle in whole logical pixels, as the window list gives it.
function logicalRectTuple(monitors, rect) {
    return toLogicalRect(monitors, [rect.x, rect.y, rect.width, rect.height]).map(Math.round);
}

// One entry of the monitor list: the logical rectangle windows may use on it (the top bar
// left out) and its scale. The primary one first.
const MONITOR_SIGNATURE = '(iiiid)';

function monitorList() {
    const monitors = stageMonitors();
    const entries = monitors.map((m, index) => {
        const area = Main.layoutManager.getWorkAreaForMonitor(index);
        return [
            ...toLogicalRect(monitors, [area.x, area.y, area.width, area.height]).map(Math.round),
            global.display.get_monitor_scale(index),
        ];
    });
    const primary = Main.layoutManager.primaryIndex;
    if (primary > 0 && primary < entries.length)
        entries.unshift(...entries.splice(primary, 1));
    return entries;
}
