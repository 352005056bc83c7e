// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11/X11FrameStream.h"

#include "core/Texts.h"
#include "platform/linux/x11/X11Windows.h"

X11FrameStream::X11FrameStream(X11Windows& windows, xcb_window_t window, QSize pixelSize)
    : m_windows(windows), m_window(window), m_pixelSize(pixelSize)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    QObject::connect(&m_settle, &QTimer::timeout, [this] { deliverFrame(); });
    m_longest.setSingleShot(true);
    m_longest.setInterval(longestFrameMs);
    QObject::connect(&m_longest, &QTimer::timeout, [this] { deliverFrame(); });
    m_idle.setSingleShot(true);
    m_idle.setInterval(idleMs);
    QObject::connect(&m_idle, &QTimer::timeout, [this] { deliverFrame(); });
}

X11FrameStream::~X11FrameStream()
{
    stop();
}

void X11FrameStream::start(std::function<void(Frame)> onFrame,
                           std::function<void(Failure)> onStopped)
{
    m_onFrame = std::move(onFrame);
    m_onStopped = std::move(onStopped);
    m_running = true;
    m_idle.start();
    if (!m_windows.startStream(this)) {
        m_running = false;
        m_onStopped(Failure(Texts::notRedirected()));
    }
}

void X11FrameStream::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_settle.stop();
    m_idle.stop();
    m_longest.stop();
    m_windows.stopStream(this);
}

void X11FrameStream::damaged()
{
    if (!m_running)
        return;
    m_idle.stop();
    if (!m_longest.isActive())
        m_longest.start();
    m_settle.start(); // restarts while the window keeps drawing
}

void X11FrameStream::windowGone()
{
    if (!m_running)
        return;
    stop();
    m_onStopped(Failure(Texts::windowClosed()));
}

void X11FrameStream::deliverFrame()
{
    if (!m_running)
        return;
    m_settle.stop();
    m_longest.stop();
    m_windows.markPainted(m_window);
    Result<QImage> pixels = m_windows.windowPixels(m_window, m_pixelSize);
    if (!pixels) {
        stop();
        m_onStopped(pixels.failure());
        return;
    }
    m_onFrame({std::move(pixels).value(), true});
}
