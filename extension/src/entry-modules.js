// SPDX-License-Identifier: GPL-3.0-or-later

export default class CuewellExtension extends Extension {
    enable() {
        this._companion = new CuewellCompanion();
        this._companion.enable();
    }

    disable() {
        this._companion.disable();
        this._companion = null;
    }
}
