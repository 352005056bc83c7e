// SPDX-License-Identifier: GPL-3.0-or-later
// Recognising the target's text ahead of the next step, while the user types a goal.
#include "observe/ScreenCapture.h"
#include "session/GuideModel.h"

#include <QPointer>

#include <QCoro/QCoroFuture>

void GuideModel::readAhead()
{
    const bool wanted = (m_panelOpen || m_sessionActive) && m_targetApp && m_hasScreenAccess;
    if (!wanted || m_readingAhead || m_isBusy)
        return;
    recogniseAhead(m_targetApp->pid);
}

// One at a time; a step that starts meanwhile and sees the same pixels waits for this
// recognition instead of running its own.
QCoro::Task<> GuideModel::recogniseAhead(qint64 pid)
{
    m_readingAhead = true;
    QPointer<GuideModel> self(this);
    const std::optional<QRectF> lastFrame = m_lastWindowFrames.contains(pid)
                                                ? std::optional(m_lastWindowFrames.value(pid))
                                                : std::nullopt;
    const Result<CapturedWindow> captured =
        co_await ScreenCapture::captureFrontWindow(m_services.windows, pid, lastFrame);
    if (!self)
        co_return;
    if (captured) {
        QFuture<QList<TextLine>> recognising = startRecognising(captured.value());
        co_await recognising;
        if (!self)
            co_return;
    }
    m_readingAhead = false;
}
