// SPDX-License-Identifier: GPL-3.0-or-later
// One observation on fakes of the ports, without a session: what it returns when the window is
// there, gone, or unreadable, and that an observation stopped or an observer going away
// mid-read is safe.
#include "session/StepObserver.h"
#include "AwaitTask.h"
#include "SessionRig.h"
#include "core/Texts.h"
#include "observe/AccessibilityReader.h"

#include <QTest>

#include <atomic>

namespace {

constexpr qint64 pid = SessionRig::targetPid;
const QRectF frame = SessionRig::windowFrame;
// A second, smaller window of the application, in front of the one its tree names.
const WindowInfo frontWindow{8, pid, 0, QRectF(950, 100, 300, 200)};

// The rig's desktop (a "File" menu and a "Save" button, text on the window's pixels) with an
// observer of it; the rig's model is never started.
struct Scene
{
    SessionRig rig;
    std::unique_ptr<StepObserver> observer;
    QElapsedTimer clock;
    const Cancellation going; // never cancelled
    int recognising = 0;

    Scene()
    {
        rig.textRecognition.lines = {
            {QStringLiteral("Untitled document"), QRectF(0.1, 0.8, 0.5, 0.05)}};
        observer =
            std::make_unique<StepObserver>(rig.accessibility, rig.windows, rig.textRecognition);
        clock.start();
    }

    Result<Observation> observe()
    {
        return awaitTask(observer->observe(
            pid, clock,
            [this](const QString& status) {
                if (status == Texts::readingTextOnScreen())
                    ++recognising;
            },
            going));
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
                          const Cancellation& cancellation,
                          std::optional<Result<Observation>>& observed)
{
    const std::function<void(const QString&)> nothing = [](const QString&) {};
    observed = co_await observer.observe(pid, clock, nothing, cancellation);
}

} // namespace

class StepObserverTest : public QObject
{
    Q_OBJECT

private slots:
    void treeAndTextMergeIntoOneNumberedList()
    {
        Scene scene;
        const Result<Observation> observed = scene.observe();
        QVERIFY(observed);
        QCOMPARE(titles(observed.value().elements),
                 QStringList({QStringLiteral("File"), QStringLiteral("Save"),
                              QStringLiteral("Untitled document")}));
        QCOMPARE(observed.value().elements.first().id, 1);
        QCOMPARE(observed.value().window.frame, frame);
        QCOMPARE(scene.recognising, 1);
        const StepTimings& t = observed.value().timings;
        QVERIFY(t.observed >= t.recognise && t.recognise >= t.capture && t.capture > 0);
    }

    void aWindowThatVanishedIsSaidAndNothingElse()
    {
        Scene scene;
        scene.rig.windows.windows = QList<WindowInfo>{};
        const Result<Observation> observed = scene.observe();
        QVERIFY(!observed);
        QCOMPARE(observed.failure().description, Texts::noVisibleWindow());
        QCOMPARE(scene.recognising, 0); // no pixels, so no text was read
    }

    void anUnreadableTreeLeavesTheText()
    {
        Scene scene;
        scene.rig.accessibility.trusted = false;
        const Result<Observation> observed = scene.observe();
        QVERIFY(observed);
        QCOMPARE(titles(observed.value().elements),
                 QStringList{QStringLiteral("Untitled document")});
    }

    void theWindowLastSeenIsCapturedFirstNextTime()
    {
        // The tree names the back window, so it is taken, and the next observation captures
        // it straight away.
        Scene scene;
        scene.rig.windows.windows = QList<WindowInfo>{frontWindow, {7, pid, 0, frame}};
        QCOMPARE(scene.observe().value().window.frame, frame);
        const qsizetype before = scene.rig.windows.captures.size();
        QCOMPARE(scene.observe().value().window.frame, frame);
        QCOMPARE(scene.rig.windows.captures.size(), before + 1);
        QCOMPARE(scene.rig.windows.captures.last().first, quint64(7));
    }

    void aPageTooLargeToReadInTimeIsTakenOnceLoadedNotWaitedFor()
    {
        // Each read runs out of time: waiting for two reads to agree would wait to the end.
        Scene scene;
        AXNodeAttributes page;
        page.role = QStringLiteral("AXWebArea");
        page.frame = QRectF(100, 160, 800, 500);
        page.busy = true;
        const AXNode pageNode = scene.rig.accessibility.add(QStringLiteral("/win/page"), page);
        scene.rig.accessibility.nodes[QStringLiteral("/win")].children.append(pageNode);
        scene.rig.accessibility.slowReadMs = AccessibilityReader::readBudgetMs + 50;
        std::atomic<int> reads = 0;
        scene.rig.accessibility.beforeEachRead = [&scene, &reads](int before) {
            reads = before + 1;
            scene.rig.accessibility.change([&scene, before] {
                scene.rig.accessibility.nodes[QStringLiteral("/win/page")].busy = before == 0;
            });
        };
        QVERIFY(scene.observe());
        QCOMPARE(reads.load(), 3); // loading, then loaded twice
    }

    void aCancelledObservationTakesNothingMore()
    {
        // Stopped while the tree is read: the window the tree names is not captured again.
        Scene scene;
        scene.rig.windows.windows = QList<WindowInfo>{frontWindow, {7, pid, 0, frame}};
        scene.rig.accessibility.slowReadMs = 200;
        Cancellation stopping;
        std::optional<Result<Observation>> observed;
        observeInto(*scene.observer, scene.clock, stopping, observed);
        QTRY_VERIFY(scene.rig.accessibility.reading && scene.rig.textRecognition.calls > 0);
        const qsizetype captures = scene.rig.windows.captures.size();
        stopping.cancel();
        QTRY_VERIFY(observed.has_value());
        QVERIFY(!*observed);
        QCOMPARE(scene.rig.windows.captures.size(), captures);
    }

    void anObserverGoneMidReadTouchesNothing()
    {
        // Quitting while a slow application is read: the read finishes on its thread, which
        // the observer waits for, and the suspended observation resumes into nothing.
        Scene scene;
        scene.rig.accessibility.slowReadMs = 300;
        std::optional<Result<Observation>> observed;
        observeInto(*scene.observer, scene.clock, scene.going, observed);
        QTRY_VERIFY(scene.rig.accessibility.reading);
        scene.observer.reset();
        QTRY_VERIFY(observed.has_value());
        QVERIFY(!*observed);
    }
};

QTEST_GUILESS_MAIN(StepObserverTest)
#include "StepObserverTest.moc"
