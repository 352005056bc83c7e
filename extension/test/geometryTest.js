// SPDX-License-Identifier: GPL-3.0-or-later

// Positions between Cuewell's logical pixels and a stage laid out in device pixels, on the
// layouts GNOME makes: one monitor at a whole scale, a fractional scale laid out logically,
// and two monitors of different scales side by side. Exits 1 when any case failed.

let failed = 0;

function same(name, actual, expected) {
    const close = actual.length === expected.length &&
        actual.every((value, i) => Math.abs(value - expected[i]) < 1e-9);
    if (!close) {
        failed++;
        print(`FAIL: ${name}: ${JSON.stringify(actual)}, expected ${JSON.stringify(expected)}`);
    }
}

// A 2560x1600 panel at scale 2, laid out in device pixels (GNOME's default at whole scales).
const doubled = [{x: 0, y: 0, width: 2560, height: 1600, factor: 2}];
same('a point is halved', toLogicalPoint(doubled, [1000, 600]), [500, 300]);
same('and doubled back', toStagePoint(doubled, [500, 300]), [1000, 600]);
same('a window is halved', toLogicalRect(doubled, [920, 216, 720, 1232]), [460, 108, 360, 616]);
same('a ring is doubled', toStageRect(doubled, [280, 8, 34, 34]), [560, 16, 68, 68]);
same('odd device pixels round', logicalRectTuple(doubled, {x: 3, y: 5, width: 7, height: 9}),
    [2, 3, 4, 5]);

// 1.25 with fractional scaling on: the stage is logical, nothing changes.
const fractional = [{x: 0, y: 0, width: 1280, height: 800, factor: 1}];
same('a logical stage is kept', toLogicalRect(fractional, [10, 20, 30, 40]), [10, 20, 30, 40]);
same('both ways', toStageRect(fractional, [10, 20, 30, 40]), [10, 20, 30, 40]);

// A laptop at scale 1 and, to its right, a monitor at scale 2 (1280 logical pixels wide, from
// the device corner 1920), laid out in device pixels.
const pair = [
    {x: 0, y: 0, width: 1920, height: 1080, factor: 1},
    {x: 1920, y: 0, width: 2560, height: 1440, factor: 2},
];
same('on the first monitor nothing changes', toLogicalPoint(pair, [1900, 500]), [1900, 500]);
same('on the second it counts from its corner', toLogicalPoint(pair, [2920, 500]), [2420, 250]);
same('and back', toStagePoint(pair, [2420, 250]), [2920, 500]);
same('a logical point past the second monitor\'s logical width is the first\'s',
    toStagePoint(pair, [3300, 100]), [3300, 100]);
same('a window there', toLogicalRect(pair, [2000, 100, 800, 600]), [1960, 50, 400, 300]);

// A monitor left of the primary one, at a negative offset, scale 2.
const leftOf = [
    {x: 0, y: 0, width: 1920, height: 1080, factor: 1},
    {x: -2560, y: 0, width: 2560, height: 1440, factor: 2},
];
same('a negative offset', toLogicalPoint(leftOf, [-2000, 400]), [-2280, 200]);
same('and back', toStagePoint(leftOf, [-2280, 200]), [-2000, 400]);

// Without monitors (the shell starting up), positions pass as they are.
same('no monitors', toStageRect([], [1, 2, 3, 4]), [1, 2, 3, 4]);

print(failed === 0 ? 'all passed' : `${failed} failed`);
imports.system.exit(failed > 0 ? 1 : 0);
