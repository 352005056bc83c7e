// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/StepObserver.h"

#include "core/AXSnapshot.h"
#include "core/Texts.h"
#include "observe/AccessibilityReader.h"
#include "observe/ScreenCapture.h"
#include "recognize/TextRecognizer.h"
#include "session/ElementMerging.h"
#include "session/FieldLabels.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroTimer>

StepObserver::StepObserver(AccessibilityPort& accessibility, WindowsPort& windows,
                           TextRecognitionPort& recognition, QObject* parent)
    : QObject(parent), m_accessibility(accessibility), m_windows(windows),
      m_recognition(recognition)
{
    m_recognising.setMaxThreadCount(1);
    m_recognising.setExpiryTimeout(-1);
}

StepObserver::~StepObserver() = default;

// The window is found without the tree, and checked against it afterwards: the tree names the
// window the user works in, and when the capture took another, or failed, that window is taken.
QCoro::Task<Result<Observation>>
StepObserver::observe(qint64 pid, const QElapsedTimer& clock,
                      const std::function<void(const QString&)>& progress,
                      const Cancellation& cancellation)
{
    QPointer<StepObserver> self(this);
    const auto ended = [&self, &cancellation] { return !self || cancellation.isCancelled(); };
    const Failure gone(Texts::stopped());
    const qsizetype reusedBefore = m_recognised.reused();
    // Futures are named before they are awaited: GCC 12 mishandles class-type temporaries
    // (such as lambdas holding an image) that live across a suspension.
    QFuture<std::pair<AXSnapshot, double>> reading = startReading(pid, clock);
    StepTimings timings;
    Result<CapturedWindow> captured =
        co_await ScreenCapture::captureFrontWindow(m_windows, pid, lastFrameOf(pid), &m_workers);
    if (ended())
        co_return gone;
    timings.capture = clock.nsecsElapsed() / 1e6;
    // Where the application's last read showed a document, or a menu or list is open, what the
    // tree gives of them is left out of the recognition, which therefore waits for the tree;
    // elsewhere both run at once. With only a popup open, the window's own parts are read
    // meanwhile: the recognition after the tree finds them read.
    const bool documents = m_showingDocuments.contains(pid);
    const bool popupOpen = captured && !captured.value().popups.isEmpty();
    QFuture<QList<TextLine>> lines;
    if (captured) {
        progress(Texts::readingTextOnScreen());
        if (!documents && !popupOpen)
            lines = startRecognising(captured.value(), {}, {});
        else if (!documents)
            startRecognising(windowAloneOf(captured.value()), {}, {});
    }
    std::pair<AXSnapshot, double> read = co_await reading;
    if (ended())
        co_return gone;
    // A page still loading (a new tab's) shows little of what it will: its tree is read again
    // until it has loaded and two reads in a row agree (the read made as the page finishes can
    // be cut short by a browser busy finishing it), for a while at most; the window is then
    // taken afresh.
    QElapsedTimer loadingFor;
    loadingFor.start();
    bool waitedForLoading = false;
    bool settled = !read.first.loading;
    while (!settled && loadingFor.elapsed() < longestLoadingWait.count()) {
        if (!waitedForLoading)
            progress(Texts::waitingForPage());
        waitedForLoading = true;
        co_await QCoro::sleepFor(loadingPoll);
        if (ended())
            co_return gone;
        QFuture<std::pair<AXSnapshot, double>> again = startReading(pid, clock);
        std::pair<AXSnapshot, double> next = co_await again;
        if (ended())
            co_return gone;
        settled = !next.first.loading && !read.first.loading && agree(read.first, next.first);
        read = std::move(next);
    }
    const AXSnapshot& snapshot = read.first;
    timings.read = read.second;
    const QList<QRectF> known = noteDocument(pid, snapshot);
    if (waitedForLoading ||
        (snapshot.windowFrame &&
         (!captured || !ScreenCapture::isWindowFor(m_windows, pid, *snapshot.windowFrame,
                                                   captured.value().windowId)))) {
        captured = co_await ScreenCapture::captureFrontWindow(m_windows, pid, snapshot.windowFrame,
                                                              &m_workers);
        if (ended())
            co_return gone;
        if (captured)
            lines = startRecognising(captured.value(), known, snapshot);
    } else if (captured && (documents || popupOpen || !known.isEmpty())) {
        lines = startRecognising(captured.value(), known, snapshot);
    }
    if (!captured)
        co_return captured.failure();
    rememberFrame(pid, snapshot.windowFrame, captured.value());
    const QList<TextLine> recognised = co_await lines;
    if (ended())
        co_return gone;
    timings.recognise = clock.nsecsElapsed() / 1e6;
    timings.recognisedBefore = m_recognised.reused() > reusedBefore;
    CapturedWindow shown = std::move(captured).value();
    shown.windowAlone = QImage(); // read; the step keeps only what it shows
    Observation observation{merged(snapshot, recognised, shown.frame), std::move(shown), timings,
                            snapshot.windowTitle, snapshot.scrollHint};
    observation.timings.observed = clock.nsecsElapsed() / 1e6;
    co_return observation;
}

// The tree, read on a worker, with the time it was done by on `clock`.
QFuture<std::pair<AXSnapshot, double>> StepObserver::startReading(qint64 pid,
                                                                  const QElapsedTimer& clock)
{
    AccessibilityPort& accessibility = m_accessibility;
    return QtConcurrent::run(&m_workers, [&accessibility, pid, clock] {
        AXSnapshot snapshot = AccessibilityReader::read(accessibility, pid);
        return std::pair(std::move(snapshot), clock.nsecsElapsed() / 1e6);
    });
}

// Whether two reads of a window in a row say that the page they show has stopped changing: they
// found the same, or both ran out of time (a page too large to read whole in time is not read
// whole by waiting).
bool StepObserver::agree(const AXSnapshot& before, const AXSnapshot& after)
{
    if (!before.complete && !after.complete)
        return true;
    const auto titles = [](const AXSnapshot& snapshot) {
        QStringList out;
        for (const GuideElement& element : snapshot.elements)
            out.append(element.title);
        for (const TextLine& text : snapshot.shownTexts)
            out.append(text.text);
        return out;
    };
    return before.complete && after.complete && titles(before) == titles(after);
}

// Fields named by the text beside them, then the tree's elements and the recognised lines as
// one numbered list.
QList<GuideElement> StepObserver::merged(const AXSnapshot& snapshot,
                                         const QList<TextLine>& recognised, const QRectF& window)
{
    // The text of a document in view comes from the tree, the rest from the pixels; both are
    // taken from the top of the window down.
    QList<TextLine> lines = recognised + snapshot.shownTexts;
    std::stable_sort(lines.begin(), lines.end(), [](const TextLine& a, const TextLine& b) {
        return a.frame.top() < b.frame.top();
    });
    const QList<GuideElement> named =
        FieldLabels::nameUnlabelled(snapshot.elements, snapshot.labels + lines);
    return ElementMerging::merge(named, lines, window);
}

// The areas whose text the tree gave; and whether the application shows a document, so that
// its next recognition waits for its tree.
QList<QRectF> StepObserver::noteDocument(qint64 pid, const AXSnapshot& snapshot)
{
    QList<QRectF> known;
    for (const TextLine& text : snapshot.shownTexts)
        known.append(text.frame);
    if (known.isEmpty())
        m_showingDocuments.remove(pid);
    else
        m_showingDocuments.insert(pid);
    return known;
}

QFuture<QList<TextLine>> StepObserver::startRecognising(const CapturedWindow& window,
                                                        const QList<QRectF>& known,
                                                        const AXSnapshot& snapshot)
{
    TextRecognitionPort& recognition = m_recognition;
    RecognitionCache& cache = m_recognised;
    const QList<QRectF> items = namedPopupItems(snapshot, window);
    return QtConcurrent::run(&m_recognising, [&recognition, &cache, window, known, items] {
        return TextRecognizer::recognize(recognition, window, &cache, known, items);
    });
}

CapturedWindow StepObserver::windowAloneOf(const CapturedWindow& window)
{
    return {window.windowAlone, window.frame, window.windowId, {}};
}

// The items the tree names in the popups drawn over the window (a menu, a list): their text is
// the name, and reading it off the pixels is most of a step's time after a menu opens. What a
// popup shows outside its items (a heading, a note) is still read.
QList<QRectF> StepObserver::namedPopupItems(const AXSnapshot& snapshot,
                                            const CapturedWindow& window)
{
    QList<QRectF> items;
    if (window.popups.isEmpty() || window.image.isNull())
        return items;
    const double sx = window.frame.width() / window.image.width();
    const double sy = window.frame.height() / window.image.height();
    for (const QRect& popup : window.popups) {
        const QRectF shown(window.frame.x() + popup.x() * sx, window.frame.y() + popup.y() * sy,
                           popup.width() * sx, popup.height() * sy);
        for (const GuideElement& element : snapshot.elements) {
            const bool item = element.role == QLatin1String("menu item") ||
                              element.role == QLatin1String("list item");
            if (item && !element.title.trimmed().isEmpty() && shown.intersects(element.frame))
                items.append(shown.intersected(element.frame));
        }
    }
    return items;
}

std::optional<QRectF> StepObserver::lastFrameOf(qint64 pid) const
{
    const auto found = m_lastWindowFrames.constFind(pid);
    return found == m_lastWindowFrames.constEnd() ? std::nullopt : std::optional(*found);
}

// A capture with popups drawn in spans more than the window; only its own frame is kept.
void StepObserver::rememberFrame(qint64 pid, const std::optional<QRectF>& treeFrame,
                                 const CapturedWindow& window)
{
    if (treeFrame)
        m_lastWindowFrames.insert(pid, *treeFrame);
    else if (window.popups.isEmpty())
        m_lastWindowFrames.insert(pid, window.frame);
}

void StepObserver::readAhead(qint64 pid)
{
    if (!m_readingAhead)
        recogniseAhead(pid);
}

// A step that starts meanwhile and sees the same pixels waits for this recognition instead of
// running its own.
QCoro::Task<> StepObserver::recogniseAhead(qint64 pid)
{
    m_readingAhead = true;
    QPointer<StepObserver> self(this);
    // The tree first, for what of a document's text need not be recognised.
    QElapsedTimer clock;
    clock.start();
    QFuture<std::pair<AXSnapshot, double>> reading = startReading(pid, clock);
    const std::pair<AXSnapshot, double> read = co_await reading;
    if (!self)
        co_return;
    const QList<QRectF> known = noteDocument(pid, read.first);
    const Result<CapturedWindow> captured =
        co_await ScreenCapture::captureFrontWindow(m_windows, pid, lastFrameOf(pid), &m_workers);
    if (!self)
        co_return;
    if (captured) {
        QFuture<QList<TextLine>> recognising =
            startRecognising(captured.value(), known, read.first);
        co_await recognising;
        if (!self)
            co_return;
    }
    m_readingAhead = false;
}
