// SPDX-License-Identifier: GPL-3.0-or-later
// One observation on fakes of the ports, without a session: what it returns when the window is
// there, gone, or unreadable, and that an observer going away mid-read is safe.
#include "session/StepObserver.h"
#include "AwaitTask.h"
#include "FakeAccessibility.h"
#include "FakeTextRecognition.h"
#include "FakeWindows.h"
#include "core/Texts.h"

#include <QTest>

namespace {

constexpr qint64 pid = 42;
const QRectF frame(100, 100, 400, 300);

// An application with one window holding a "Save" button, and text on its pixels.
struct Desktop
{
    FakeAccessibility accessibility;
    FakeWindows windows;
    FakeTextRecognition recognition;

    Desktop()
    {
        windows.windows = QList<WindowInfo>{{7, pid, 0, frame}};
        accessibility.applications.insert(pid, FakeAccessibility::node(QStringLiteral("/app")));
        AXNodeAttributes save;
        save.role = QStringLiteral("AXButton");
        save.title = QStringLiteral("Save");
        save.frame = QRectF(120, 130, 60, 24);
        AXNodeAttributes window;
        window.role = QStringLiteral("AXWindow");
        window.frame = frame;
        window.children = {accessibility.add(QStringLiteral("/win/save"), save)};
        AXApplicationNodes top;
        top.focusedWindow = accessibility.add(QStringLiteral("/win"), window);
        accessibility.applicationNodesByPath.insert(QStringLiteral("/app"), top);
        recognition.lines = {{QStringLiteral("Untitled document"), QRectF(0.1, 0.8, 0.5, 0.05)}};
    }
};

QStringList titles(const QList<GuideElement>& elements)
{
    QStringList out;
    for (const GuideElement& e : elements)
        out.append(e.title);
    return out;
}

// Starts an observation and returns at once; `observed` is set when it ends.
QCoro::Task<> observeInto(StepObserver& observer, const QElapsedTimer& clock,
                          const std::function<void()>& recognising,
                          const Cancellation& cancellation,
                          std::optional<Result<Observation>>& observed)
{
    observed = co_await observer.observe(pid, clock, recognising, cancellation);
}

} // namespace

class StepObserverTest : public QObject
{
    Q_OBJECT

    const Cancellation going; // never cancelled

private slots:
    void treeAndTextMergeIntoOneNumberedList()
    {
        Desktop desktop;
        StepObserver observer(desktop.accessibility, desktop.windows, desktop.recognition);
        QElapsedTimer clock;
        clock.start();
        int recognising = 0;
        const Result<Observation> observed = awaitTask(observer.observe(
            pid, clock, [&recognising] { ++recognising; }, going));
        QVERIFY(observed);
        QCOMPARE(titles(observed.value().elements),
                 QStringList({QStringLiteral("Save"), QStringLiteral("Untitled document")}));
        QCOMPARE(observed.value().elements.first().id, 1);
        QCOMPARE(observed.value().window.frame, frame);
        QCOMPARE(recognising, 1);
        const StepTimings& t = observed.value().timings;
        QVERIFY(t.observed >= t.recognise && t.recognise >= t.capture && t.capture > 0);
    }

    void aWindowThatVanishedIsSaidAndNothingElse()
    {
        Desktop desktop;
        desktop.windows.windows = QList<WindowInfo>{};
        StepObserver observer(desktop.accessibility, desktop.windows, desktop.recognition);
        QElapsedTimer clock;
        clock.start();
        int recognising = 0;
        const Result<Observation> observed = awaitTask(observer.observe(
            pid, clock, [&recognising] { ++recognising; }, going));
        QVERIFY(!observed);
        QCOMPARE(observed.failure().description, Texts::noVisibleWindow);
        QCOMPARE(recognising, 0); // no pixels, so no text was read
    }

    void anUnreadableTreeLeavesTheText()
    {
        Desktop desktop;
        desktop.accessibility.trusted = false;
        StepObserver observer(desktop.accessibility, desktop.windows, desktop.recognition);
        QElapsedTimer clock;
        clock.start();
        const Result<Observation> observed = awaitTask(observer.observe(
            pid, clock, [] {}, going));
        QVERIFY(observed);
        QCOMPARE(titles(observed.value().elements),
                 QStringList{QStringLiteral("Untitled document")});
    }

    void theWindowLastSeenIsCapturedFirstNextTime()
    {
        // Two windows of the application: the tree names the back one, so it is taken, and
        // the next observation captures it straight away.
        Desktop desktop;
        const QRectF front(600, 100, 300, 200);
        desktop.windows.windows = QList<WindowInfo>{{8, pid, 0, front}, {7, pid, 0, frame}};
        StepObserver observer(desktop.accessibility, desktop.windows, desktop.recognition);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(awaitTask(observer.observe(
                               pid, clock, [] {}, going))
                     .value()
                     .window.frame,
                 frame);
        const qsizetype before = desktop.windows.captures.size();
        QCOMPARE(awaitTask(observer.observe(
                               pid, clock, [] {}, going))
                     .value()
                     .window.frame,
                 frame);
        QCOMPARE(desktop.windows.captures.size(), before + 1);
        QCOMPARE(desktop.windows.captures.last().first, quint64(7));
    }

    void aCancelledObservationTakesNothingMore()
    {
        // Stopped while the tree is read: the window the tree names is not captured again,
        // and no text is read.
        Desktop desktop;
        const QRectF front(600, 100, 300, 200);
        desktop.windows.windows = QList<WindowInfo>{{8, pid, 0, front}, {7, pid, 0, frame}};
        desktop.accessibility.slowReadMs = 200;
        StepObserver observer(desktop.accessibility, desktop.windows, desktop.recognition);
        QElapsedTimer clock;
        clock.start();
        Cancellation stopping;
        std::optional<Result<Observation>> observed;
        const std::function<void()> nothing = [] {};
        observeInto(observer, clock, nothing, stopping, observed);
        QTRY_VERIFY(desktop.accessibility.reading && desktop.recognition.calls > 0);
        const qsizetype captures = desktop.windows.captures.size();
        stopping.cancel();
        QTRY_VERIFY(observed.has_value());
        QVERIFY(!*observed);
        QCOMPARE(desktop.windows.captures.size(), captures);
    }

    void anObserverGoneMidReadTouchesNothing()
    {
        // Quitting while a slow application is read: the read finishes on its thread, which
        // the observer waits for, and the suspended observation resumes into nothing.
        Desktop desktop;
        desktop.accessibility.slowReadMs = 300;
        auto observer = std::make_unique<StepObserver>(desktop.accessibility, desktop.windows,
                                                       desktop.recognition);
        QElapsedTimer clock;
        clock.start();
        std::optional<Result<Observation>> observed;
        const std::function<void()> nothing = [] {};
        observeInto(*observer, clock, nothing, going, observed);
        QTRY_VERIFY(desktop.accessibility.reading);
        observer.reset();
        QTRY_VERIFY(observed.has_value());
        QVERIFY(!*observed);
    }
};

QTEST_GUILESS_MAIN(StepObserverTest)
#include "StepObserverTest.moc"
