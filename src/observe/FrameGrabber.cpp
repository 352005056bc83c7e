// SPDX-License-Identifier: GPL-3.0-or-later
#include "observe/FrameGrabber.h"

#include "core/Texts.h"

#include <QCoro/QCoroSignal>
#include <QTimer>

FrameGrabber::FrameGrabber(std::unique_ptr<FrameStreamPort> stream,
                           std::chrono::milliseconds maxWait, QObject* parent)
    : QObject(parent), m_stream(std::move(stream)), m_maxWait(maxWait)
{
}

FrameGrabber::~FrameGrabber()
{
    m_stream->stop();
}

bool FrameGrabber::isDone()
{
    std::lock_guard lock(m_lock);
    return m_result.has_value();
}

void FrameGrabber::finish(Result<QImage> result)
{
    {
        std::lock_guard lock(m_lock);
        if (m_result)
            return; // a result was delivered already
        m_result = std::move(result);
    }
    m_stream->stop();
    QMetaObject::invokeMethod(this, &FrameGrabber::finished, Qt::QueuedConnection);
}

QCoro::Task<Result<QImage>> FrameGrabber::grab()
{
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, [this] { finish(Failure(Texts::noFrameInTime())); });
    deadline.start(m_maxWait);
    m_stream->start(
        [this](FrameStreamPort::Frame frame) {
            if (frame.complete && !frame.image.isNull())
                finish(std::move(frame.image));
        },
        [this](Failure failure) { finish(std::move(failure)); });
    if (!isDone())
        co_await qCoro(this, &FrameGrabber::finished);
    std::lock_guard lock(m_lock);
    Result<QImage> result = *m_result;
    co_return result;
}
