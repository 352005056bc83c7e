// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/AXSnapshot.h"
#include "core/Cancellation.h"
#include "core/CapturedWindow.h"
#include "core/Result.h"
#include "core/TextLine.h"
#include "recognize/RecognitionCache.h"
#include "session/Observation.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QHash>
#include <QObject>
#include <QRectF>
#include <QSet>
#include <QThreadPool>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>

class AccessibilityPort;
class TextRecognitionPort;
class WindowsPort;

/// Observes an application for one step: reads its accessibility tree on a worker while its
/// window is captured and the text on it recognised, and merges both into the numbered element
/// list. Keeps what makes the next observation quicker: the window each application was last
/// seen in, the text recognised lately, and a recognition started ahead of the next step.
/// Lives on the main thread; blocking work runs on its own threads, which its destruction
/// waits for.
class StepObserver : public QObject
{
    Q_OBJECT
public:
    StepObserver(AccessibilityPort& accessibility, WindowsPort& windows,
                 TextRecognitionPort& recognition, QObject* parent = nullptr);
    ~StepObserver() override;

    /// The application's elements and the capture they were recognised on, with the times of
    /// its stages from `clock`'s start; or why there is none, as a status text.
    /// `progress` is told what the observation is doing (a status text) when that takes a while:
    /// once the pixels are taken and their text is being read, and while a page loads. An
    /// observation cancelled, or an observer destroyed, meanwhile takes nothing more (no
    /// further capture or recognition) and ends in a failure nobody reads.
    ///
    /// Arguments are taken by reference (GCC 12 destroys by-value coroutine parameters of
    /// class type twice): callers await the call at once, keeping them alive.
    QCoro::Task<Result<Observation>> observe(qint64 pid, const QElapsedTimer& clock,
                                             const std::function<void(const QString&)>& progress,
                                             const Cancellation& cancellation);

    /// How long an observation waits for a page that is still loading, and how often it looks.
    /// A browser's settings tab stays busy for about a second on an idle machine and several on
    /// a loaded one; a page that never ends loading is taken as it is after this.
    static constexpr std::chrono::milliseconds longestLoadingWait{10000};
    static constexpr std::chrono::milliseconds loadingPoll{100};

    /// Captures the application's window and recognises its text in the background, so that a
    /// step finds it done when the window has not changed by then. One at a time.
    void readAhead(qint64 pid);
    bool isReadingAhead() const { return m_readingAhead; }

    /// The pool for a step's other blocking work (encoding, parsing).
    QThreadPool& workers() { return m_workers; }

private:
    QFuture<std::pair<AXSnapshot, double>> startReading(qint64 pid, const QElapsedTimer& clock);
    QFuture<QList<TextLine>> startRecognising(const CapturedWindow& window,
                                              const QList<QRectF>& known,
                                              const AXSnapshot& snapshot);
    static QList<QRectF> namedPopupItems(const AXSnapshot& snapshot, const CapturedWindow& window);
    /// The window of a capture with popups as it shows alone.
    static CapturedWindow windowAloneOf(const CapturedWindow& window);
    QList<QRectF> noteDocument(qint64 pid, const AXSnapshot& snapshot);
    static bool agree(const AXSnapshot& before, const AXSnapshot& after);
    static QList<GuideElement> merged(const AXSnapshot& snapshot, const QList<TextLine>& recognised,
                                      const QRectF& window);
    std::optional<QRectF> lastFrameOf(qint64 pid) const;
    void rememberFrame(qint64 pid, const std::optional<QRectF>& treeFrame,
                       const CapturedWindow& window);
    QCoro::Task<> recogniseAhead(qint64 pid);

    AccessibilityPort& m_accessibility;
    WindowsPort& m_windows;
    TextRecognitionPort& m_recognition;
    // Text recognised lately; used by the threads below, so it outlives them.
    RecognitionCache m_recognised;
    // The tree read and other blocking work of a step; destroying the pool waits for it.
    QThreadPool m_workers;
    // Text recognition runs on one kept thread of its own: a recogniser keeps an engine of
    // some tens of MB per thread, and two recognitions at once would only share the cores.
    QThreadPool m_recognising;
    // Applications whose last read showed a document, with text the tree gives.
    QSet<qint64> m_showingDocuments;
    // The window each application was last seen in, to capture before its tree is read.
    QHash<qint64, QRectF> m_lastWindowFrames;
    bool m_readingAhead = false;
};
