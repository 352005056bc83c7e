// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting for an application to settle after a click: on its frames and on what it says about
// its interface, within the longest wait.
#include "session/SettleWatch.h"
#include "FakeAccessibility.h"
#include "FakeWindows.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {

constexpr qint64 target = 42;
// Spells long enough that a test never reaches them by chance.
constexpr auto never = 3600s;

} // namespace

class SettleWatchTest : public QObject
{
    Q_OBJECT

    FakeWindows m_windows;
    FakeAccessibility m_accessibility;

    // Draws `frames` frames of `pid`, one every 20 ms; false when the wait ended meanwhile.
    bool drawing(SettleWatch& watch, qint64 pid, int frames)
    {
        for (int frame = 0; frame < frames; ++frame) {
            QTest::qWait(20);
            if (!watch.isWaiting())
                return false;
            m_windows.draw(pid);
        }
        return true;
    }

private slots:
    void framesOfTheApplicationKeepItFromSettlingUntilTheLongestWait()
    {
        SettleWatch watch(m_windows, m_accessibility);
        int settled = 0;
        watch.wait(target, {100ms, 100ms, 1500ms}, [&settled] { ++settled; });
        QVERIFY(drawing(watch, target, 15)); // 300 ms, never 100 ms quiet
        QVERIFY(!drawing(watch, 77, 50));    // another application's frames do not count
        QCOMPARE(settled, 1);

        // An application that never stops drawing is taken as it is after the longest wait.
        watch.wait(target, {100ms, 100ms, 300ms}, [&settled] { ++settled; });
        QVERIFY(!drawing(watch, target, 200));
        QCOMPARE(settled, 2);
    }

    void somethingShownEndsTheWaitAfterTheShortSpell()
    {
        SettleWatch watch(m_windows, m_accessibility);
        watch.listen(target);
        QCOMPARE(m_accessibility.watchedPid, target);
        bool settled = false;
        watch.wait(target, {never, 50ms, never}, [&settled] { settled = true; });
        m_accessibility.report(AXChange::changed); // a state: no answer yet
        QTest::qWait(200);
        QVERIFY(!settled);
        m_accessibility.report(AXChange::appeared);
        QVERIFY(drawing(watch, target, 5)); // it goes on filling in what it showed
        QTRY_VERIFY(settled);
    }

    void whatAppearedAsTheButtonWentDownCounts()
    {
        SettleWatch watch(m_windows, m_accessibility);
        watch.listen(target);
        bool settled = false;
        m_accessibility.report(AXChange::appeared);
        watch.wait(target, {never, 50ms, never, never}, [&settled] { settled = true; });
        QTRY_VERIFY(settled);

        // Too long before, it was something else.
        settled = false;
        m_accessibility.report(AXChange::appeared);
        QTest::qWait(100);
        watch.wait(target, {never, 50ms, never, 50ms}, [&settled] { settled = true; });
        QTest::qWait(300);
        QVERIFY(!settled);
    }

    void aNewWaitReplacesTheOldAndListeningEndsWithTheWatch()
    {
        int first = 0, second = 0;
        {
            SettleWatch watch(m_windows, m_accessibility);
            watch.wait(target, {50ms, 50ms, never}, [&first] { ++first; });
            watch.wait(target, {50ms, 50ms, never}, [&second] { ++second; });
            QTRY_COMPARE(second, 1);
            QTest::qWait(100);
            QCOMPARE(first, 0);
            QCOMPARE(m_accessibility.watchedPid, target);
        }
        QCOMPARE(m_accessibility.watchedPid, 0);
        QVERIFY(!m_windows.drawnHandler);
        m_windows.draw(target); // nothing left to call
    }
};

QTEST_GUILESS_MAIN(SettleWatchTest)
#include "SettleWatchTest.moc"
