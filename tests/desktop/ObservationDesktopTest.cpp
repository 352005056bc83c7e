// Reading, capturing and recognising real applications on a virtual desktop.
#include "DesktopApp.h"
#include "observe/AccessibilityReader.h"
#include "observe/ScreenCapture.h"
#include "platform/linux/AtspiAccessibility.h"
#include "platform/linux/X11Windows.h"

#include "AwaitTask.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

QStringList titles(const QList<GuideElement>& elements, bool menuBar)
{
    QStringList out;
    for (const GuideElement& e : elements) {
        if (e.isMenuBar == menuBar)
            out.append(e.title);
    }
    return out;
}

const GuideElement* find(const QList<GuideElement>& elements, const QString& title)
{
    for (const GuideElement& e : elements) {
        if (e.title == title)
            return &e;
    }
    return nullptr;
}

} // namespace

class ObservationDesktopTest : public QObject
{
    Q_OBJECT

    X11Windows m_windows;
    AtspiAccessibility m_accessibility;

    // Waits until `app` has a window on screen and an accessibility tree with a window.
    AXSnapshot waitForApp(const DesktopApp& app)
    {
        AXSnapshot snapshot;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 15000) {
            snapshot = AccessibilityReader::read(m_accessibility, app.pid());
            const auto listed = m_windows.onScreenWindows();
            const bool onScreen = listed && std::any_of(listed.value().begin(), listed.value().end(),
                                                        [&](const WindowInfo& w) { return w.pid == app.pid(); });
            if (onScreen && snapshot.windowFrame && snapshot.elements.size() > 3)
                return snapshot;
            QTest::qWait(200);
        }
        return snapshot;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_windows.canCapture(), "the virtual desktop has no Composite extension");
        QVERIFY2(m_accessibility.connected(), "no accessibility bus");
        QVERIFY(m_accessibility.isTrusted());
    }

    void readsMousepad()
    {
        DesktopApp mousepad(QStringLiteral("mousepad"));
        const AXSnapshot snapshot = waitForApp(mousepad);
        qInfo() << "menu bar:" << titles(snapshot.elements, true);
        qInfo() << "window:" << titles(snapshot.elements, false);
        qInfo() << "window frame:" << *snapshot.windowFrame;
        for (const GuideElement& e : snapshot.elements)
            qInfo() << e.role << e.title << e.frame;
        QVERIFY(titles(snapshot.elements, true).mid(0, 2) == QStringList({"File", "Edit"}));
        QVERIFY(find(snapshot.elements, QStringLiteral("File")));
    }

    void readsCalculator()
    {
        DesktopApp calculator(QStringLiteral("gnome-calculator"));
        const AXSnapshot snapshot = waitForApp(calculator);
        qInfo() << "window frame:" << snapshot.windowFrame.value_or(QRectF());
        const QList<WindowInfo> windows = m_windows.onScreenWindows().value();
        for (const WindowInfo& w : windows)
            qInfo() << "x window" << w.pid << w.frame;
        for (const GuideElement& e : snapshot.elements)
            qInfo() << e.role << e.title << e.frame;
    }
};

QTEST_MAIN(ObservationDesktopTest)
#include "ObservationDesktopTest.moc"
