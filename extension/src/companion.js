// SPDX-License-Identifier: GPL-3.0-or-later

// Enabled and disabled by the shell: the service lives exactly while the extension is on.
class CuewellCompanion {
    enable() {
        this._service = new CuewellService();
        if (typeof CuewellTestInput !== 'undefined')
            this._testInput = new CuewellTestInput(this._service);
    }

    disable() {
        this._testInput?.destroy();
        this._testInput = null;
        this._service.destroy();
        this._service = null;
    }
}
