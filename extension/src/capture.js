// SPDX-License-Identifier: GPL-3.0-or-later

// A window's pixels, as the compositor last drew them (never those of windows covering it),
// written as PNG into a file descriptor the caller handed over. The image is the window's
// buffer, shadows included; the caller crops it to the frame.
function captureWindow(window, fdList, fdIndex) {
    return new Promise((resolve, reject) => {
        const actor = window.get_compositor_private();
        if (!actor) {
            reject(new Error('the window has no picture'));
            return;
        }
        const content = actor.paint_to_content(null);
        const texture = content?.get_texture();
        if (!texture) {
            reject(new Error('the window has not been drawn'));
            return;
        }
        const fd = fdList.get(fdIndex);
        const stream = unixOutputStream(fd);
        Shell.Screenshot.composite_to_stream(texture, 0, 0, -1, -1, 1, null, 0, 0, 1, stream,
            (source, result) => {
                try {
                    Shell.Screenshot.composite_to_stream_finish(result);
                    stream.close(null);
                    resolve();
                } catch (e) {
                    try {
                        stream.close(null);
                    } catch (ignored) {
                    }
                    reject(e);
                }
            });
    });
}
