#include "platform/linux/X11FrameStream.h"

#include "platform/linux/X11Windows.h"

X11FrameStream::X11FrameStream(X11Windows& windows, xcb_window_t window, QSize pixelSize)
    : m_windows(windows), m_window(window), m_pixelSize(pixelSize)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    QObject::connect(&m_settle, &QTimer::timeout, [this] { deliverFrame(); });
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
    if (!m_windows.startStream(this)) {
        m_running = false;
        m_onStopped(Failure(QStringLiteral("The window could not be redirected for capture.")));
    }
}

void X11FrameStream::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_settle.stop();
    m_windows.stopStream(this);
}

void X11FrameStream::damaged()
{
    if (m_running)
        m_settle.start(); // restarts while the window keeps drawing
}

void X11FrameStream::windowGone()
{
    if (!m_running)
        return;
    stop();
    m_onStopped(Failure(QStringLiteral("The window closed.")));
}

void X11FrameStream::deliverFrame()
{
    if (!m_running)
        return;
    m_windows.markPainted(m_window);
    Result<QImage> pixels = m_windows.windowPixels(m_window, m_pixelSize);
    if (!pixels) {
        stop();
        m_onStopped(pixels.failure());
        return;
    }
    m_onFrame({std::move(pixels).value(), true});
}
