// SPDX-License-Identifier: GPL-3.0-or-later

// The ring around the control to use next and the card beside it, drawn above every window.
// Cuewell works out where both go; here they are only drawn. Nothing here takes input: every
// click goes through to the application underneath.
const ORANGE = 'rgb(255, 149, 0)';
const HIGHLIGHT_WIDTH = 3;
const RING_WIDTH = 4;
const CORNER_RADIUS = 9;
const PULSE_MS = 1100;
const PULSE_SCALE = 1.3;
const RING_START_OPACITY = 230; // 0.9 of full

class Highlight {
    constructor() {
        this._layer = new St.Widget({name: 'cuewell-highlight', reactive: false});
        Main.layoutManager.addTopChrome(this._layer, {affectsInputRegion: false});
        this._highlight = new St.Widget({
            reactive: false,
            style: `border: ${HIGHLIGHT_WIDTH}px solid ${ORANGE}; border-radius: ${CORNER_RADIUS}px;`,
        });
        this._ring = new St.Widget({
            reactive: false,
            style: `border: ${RING_WIDTH}px solid ${ORANGE}; border-radius: ${CORNER_RADIUS}px;`,
        });
        this._card = new St.BoxLayout({
            vertical: true,
            reactive: false,
            style: 'background-color: rgba(246, 245, 244, 0.94); color: #1e1e1e;' +
                ' border: 1px solid rgba(255, 149, 0, 0.8); border-radius: 10px; padding: 10px;' +
                ' box-shadow: 0 1px 6px rgba(0, 0, 0, 0.33);',
        });
        this._title = new St.Label({style: 'font-size: 9pt; color: #77767b;'});
        this._text = new St.Label({style: 'font-size: 10.5pt; font-weight: 500; padding-top: 4px;'});
        for (const label of [this._title, this._text]) {
            label.clutter_text.line_wrap = true;
            label.clutter_text.ellipsize = 0;
        }
        this._title.clutter_text.line_wrap = false;
        this._card.add_child(this._title);
        this._card.add_child(this._text);
        for (const actor of [this._highlight, this._ring, this._card])
            this._layer.add_child(actor);
        this._layer.hide();
    }

    // `ring` is the highlight at rest and `card` the card's box, both in stage pixels.
    show(ring, card, title, text) {
        this._layer.set_position(0, 0);
        this._layer.set_size(global.stage.width, global.stage.height);
        for (const actor of [this._highlight, this._ring]) {
            actor.set_position(ring.x, ring.y);
            actor.set_size(ring.width, ring.height);
        }
        this._card.set_position(card.x, card.y);
        this._card.set_size(card.width, card.height);
        this._title.text = title;
        this._text.text = text;
        this._layer.show();
        global.stage.set_child_above_sibling(Main.layoutManager.uiGroup, null);
        this._pulse();
    }

    hide() {
        this._ring.remove_all_transitions();
        this._layer.hide();
    }

    get shown() {
        return this._layer.visible;
    }

    get ringBox() {
        return [this._highlight.x, this._highlight.y, this._highlight.width, this._highlight.height];
    }

    destroy() {
        this.hide();
        Main.layoutManager.removeChrome(this._layer);
        this._layer.destroy();
    }

    // The ring grows out of the highlight and fades, again and again.
    _pulse() {
        this._ring.remove_all_transitions();
        this._ring.set_pivot_point(0.5, 0.5);
        this._ring.set_scale(1, 1);
        this._ring.opacity = RING_START_OPACITY;
        this._ring.ease({
            scale_x: PULSE_SCALE,
            scale_y: PULSE_SCALE,
            opacity: 0,
            duration: PULSE_MS,
            mode: Clutter.AnimationMode.EASE_OUT_CUBIC,
            repeatCount: -1,
        });
    }
}
