// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "platform/FrameStreamPort.h"

#include <QImage>
#include <QObject>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

/// Takes one picture from a frame stream: the first complete frame wins, anything after it is
/// dropped, and the stream is stopped. Frames may arrive on any thread; the waiting task
/// resumes on the grabber's thread exactly once.
class FrameGrabber : public QObject
{
    Q_OBJECT
public:
    /// A window that is drawing paints within a few frames even on a loaded machine; one that
    /// has not painted by then is frozen, and the step should say so rather than wait on.
    static constexpr std::chrono::milliseconds defaultMaxWait{1500};

    explicit FrameGrabber(std::unique_ptr<FrameStreamPort> stream,
                          std::chrono::milliseconds maxWait = defaultMaxWait,
                          QObject* parent = nullptr);
    ~FrameGrabber() override;

    /// The first complete frame, or why there was none. Call once.
    QCoro::Task<Result<QImage>> grab();

signals:
    void finished();

private:
    void finish(Result<QImage> result);
    bool isDone();

    std::unique_ptr<FrameStreamPort> m_stream;
    std::chrono::milliseconds m_maxWait;
    std::mutex m_lock;
    std::optional<Result<QImage>> m_result; // written once, under m_lock
};
