// SPDX-License-Identifier: GPL-3.0-or-later
// Reading, capturing and recognising real applications on a virtual desktop.
#include "AwaitTask.h"
#include "DesktopApp.h"
#include "MenuProbe.h"
#include "core/Texts.h"
#include "observe/AccessibilityReader.h"
#include "observe/ScreenCapture.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/tesseract/TesseractTextRecognition.h"
#include "platform/linux/x11/X11AtspiGeometry.h"
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11Windows.h"
#include "recognize/TextRecognizer.h"
#include "session/ClickFollower.h"
#include "session/ElementMerging.h"
#include "session/SettleWatch.h"
#include "session/StepObserver.h"

#include <QElapsedTimer>

#include <xcb/composite.h>

#include <atomic>

#include <QPainter>
#include <QRasterWindow>
#include <QStandardPaths>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

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

std::optional<GuideElement> find(const QList<GuideElement>& elements, const QString& title)
{
    for (const GuideElement& e : elements) {
        if (e.title == title)
            return e;
    }
    return std::nullopt;
}

std::optional<GuideElement> find(const AXSnapshot& snapshot, const QString& title)
{
    return find(snapshot.elements, title);
}

// A window of this process, solid green, above everything and outside the window manager's
// list, as another application's popup would be.
class CoverWindow : public QRasterWindow
{
public:
    CoverWindow()
    {
        setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                 Qt::WindowStaysOnTopHint);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(QRect(QPoint(), size()), Qt::green);
    }
};

QStringList texts(const QList<TextLine>& lines)
{
    QStringList out;
    for (const TextLine& line : lines)
        out.append(line.text);
    return out;
}

// The engine, counting the images it is given.
class CountingRecognition : public TextRecognitionPort
{
public:
    explicit CountingRecognition(TextRecognitionPort& engine) : m_engine(engine) {}
    std::atomic<int> calls{0};
    QList<RecognizedLine> recognize(const QImage& image) override
    {
        ++calls;
        return m_engine.recognize(image);
    }

private:
    TextRecognitionPort& m_engine;
};

void click(const QRectF& frame)
{
    const QPointF centre = frame.center();
    QVERIFY(
        xdotool({QStringLiteral("mousemove"), QString::number(int(centre.x())),
                 QString::number(int(centre.y())), QStringLiteral("click"), QStringLiteral("1")}));
}

} // namespace

class ObservationDesktopTest : public QObject
{
    Q_OBJECT

    X11Windows m_windows;
    AtspiAccessibility m_accessibility{std::make_unique<X11AtspiGeometry>()};
    TesseractTextRecognition m_ocr;

    // Waits until `app` has a window on screen and an accessibility tree with `enough` elements.
    AXSnapshot waitForApp(const DesktopApp& app, int enough)
    {
        AXSnapshot snapshot;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 20000) {
            snapshot = AccessibilityReader::read(m_accessibility, app.pid());
            if (windowOf(app) && snapshot.windowFrame && snapshot.elements.size() >= enough)
                return snapshot;
            QTest::qWait(200);
        }
        return snapshot;
    }

    std::optional<WindowInfo> windowOf(const DesktopApp& app)
    {
        const Result<QList<WindowInfo>> listed = m_windows.onScreenWindows();
        if (listed) {
            for (const WindowInfo& w : listed.value()) {
                if (w.pid == app.pid())
                    return w;
            }
        }
        return std::nullopt;
    }

    CapturedWindow capture(const DesktopApp& app, const std::optional<QRectF>& preferred)
    {
        const Result<CapturedWindow> captured =
            awaitTask(ScreenCapture::captureFrontWindow(m_windows, app.pid(), preferred));
        if (!captured)
            qWarning() << captured.failure().description;
        return captured ? captured.value() : CapturedWindow{};
    }

    // Observes the application as a step does.
    static Observation observe(StepObserver& observer, qint64 pid)
    {
        QElapsedTimer clock;
        clock.start();
        Cancellation cancellation;
        Result<Observation> observed = awaitTask(observer.observe(
            pid, clock, [](const QString&) {}, cancellation));
        if (!observed)
            qWarning() << observed.failure().description;
        return observed ? observed.value() : Observation{};
    }

    // Reads `window` as a step does, with what earlier steps read, and from scratch: both give
    // the same lines; false (saying why) when they differ or are none. `anew` is how many
    // blocks the engine read for the step.
    bool readAsAStep(const CapturedWindow& window, RecognitionCache& cache, int& anew,
                     QList<TextLine>& lines)
    {
        CountingRecognition engine(m_ocr);
        lines = TextRecognizer::recognize(engine, window, &cache);
        anew = engine.calls;
        const QList<TextLine> fresh = TextRecognizer::recognize(m_ocr, window);
        if (lines != fresh || fresh.isEmpty()) {
            qWarning() << "read as a step:" << texts(lines) << "fresh:" << texts(fresh);
            return false;
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_windows.canCapture(), "the virtual desktop has no Composite extension");
        QVERIFY2(m_accessibility.connected(), "no accessibility bus");
        QVERIFY(m_accessibility.isTrusted());
        QVERIFY2(m_ocr.isAvailable(), "no Tesseract English model");
    }

    void readsMousepadAndItsMenuOpensAtTheListedFrame()
    {
        DesktopApp mousepad(QStringLiteral("mousepad"));
        const AXSnapshot snapshot = waitForApp(mousepad, 7);
        QCOMPARE(titles(snapshot.elements, true),
                 QStringList({"File", "Edit", "Search", "View", "Document", "Help"}));
        const std::optional<GuideElement> file = find(snapshot.elements, QStringLiteral("File"));
        QCOMPARE(file->role, QStringLiteral("menu bar item"));
        QVERIFY(snapshot.windowFrame->contains(file->frame.center()));
        QVERIFY(titles(snapshot.elements, false)
                    .contains(QStringLiteral("(unlabeled)"))); // the text area

        QVERIFY(!menuOpen(m_accessibility, mousepad.pid(), QStringLiteral("Edit")));
        click(find(snapshot.elements, QStringLiteral("Edit"))->frame);
        QTRY_VERIFY_WITH_TIMEOUT(menuOpen(m_accessibility, mousepad.pid(), QStringLiteral("Edit")),
                                 5000);
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    }

    void readsGtk4AndClicksLandOnTheButtons()
    {
        DesktopApp calculator(QStringLiteral("gnome-calculator"));
        const AXSnapshot snapshot = waitForApp(calculator, 20);
        const std::optional<GuideElement> seven = find(snapshot.elements, QStringLiteral("7"));
        const std::optional<GuideElement> plus = find(snapshot.elements, QStringLiteral("+"));
        QVERIFY2(seven && plus, qPrintable(titles(snapshot.elements, false).join(u'|')));
        QVERIFY2(snapshot.windowFrame->contains(seven->frame),
                 "frames are on the screen, not the window");
        for (const GuideElement& e : snapshot.elements)
            QVERIFY2(!e.title.startsWith(QLatin1String("Gtk")), qPrintable(e.title));

        click(seven->frame);
        click(plus->frame);
        click(seven->frame);
        QTest::qWait(300);
        const CapturedWindow window = capture(calculator, snapshot.windowFrame);
        const QList<TextLine> lines = TextRecognizer::recognize(m_ocr, window);
        QVERIFY2(texts(lines).join(u'|').contains(QStringLiteral("7+7")),
                 qPrintable(texts(lines).join(u'|')));
    }

    void readsQt6AndClicksLandOnTheTabs()
    {
        DesktopApp qt(QStringLiteral("qt6ct"));
        const AXSnapshot snapshot = waitForApp(qt, 10);
        const std::optional<GuideElement> fonts = find(snapshot.elements, QStringLiteral("Fonts"));
        QVERIFY2(fonts, qPrintable(titles(snapshot.elements, false).join(u'|')));
        QCOMPARE(fonts->role, QStringLiteral("radio button"));      // tabs are one of a set
        QVERIFY(find(snapshot.elements, QStringLiteral("Fusion"))); // on the first page
        click(fonts->frame);
        // The first page's controls leave the list once the Fonts page shows.
        QTRY_VERIFY_WITH_TIMEOUT(
            !find(AccessibilityReader::read(m_accessibility, qt.pid()).elements,
                  QStringLiteral("Fusion")),
            5000);
    }

    void coveredWindowIsCapturedWithItsOwnPixels()
    {
        DesktopApp mousepad(QStringLiteral("mousepad"));
        const AXSnapshot snapshot = waitForApp(mousepad, 7);
        const CapturedWindow uncovered = capture(mousepad, snapshot.windowFrame);
        QVERIFY(!uncovered.image.isNull());
        QCOMPARE(uncovered.image.size(), uncovered.frame.size().toSize());

        DesktopApp cover(QStringLiteral("zenity"),
                         {QStringLiteral("--info"), QStringLiteral("--text"),
                          QStringLiteral("COVERING WINDOW")});
        QTRY_VERIFY_WITH_TIMEOUT(windowOf(cover).has_value(), 10000);
        const QRectF over = windowOf(cover)->frame.intersected(uncovered.frame);
        QVERIFY2(!over.isEmpty(), "the cover does not overlap the window");
        const CapturedWindow covered = capture(mousepad, snapshot.windowFrame);
        const QPoint inside = (over.center() - uncovered.frame.topLeft()).toPoint();
        QCOMPARE(covered.image.pixelColor(inside), uncovered.image.pixelColor(inside));
        const QStringList read = texts(TextRecognizer::recognize(m_ocr, covered));
        QVERIFY2(!read.join(u' ').contains(QStringLiteral("COVERING")),
                 qPrintable(read.join(u'|')));
    }

    void openMenuIsCapturedWithTheWindowAndNothingOfOthers()
    {
        DesktopApp mousepad(QStringLiteral("mousepad"));
        const AXSnapshot closed = waitForApp(mousepad, 7);
        click(find(closed.elements, QStringLiteral("Edit"))->frame);
        AXSnapshot open;
        QTRY_VERIFY_WITH_TIMEOUT(
            find(open = AccessibilityReader::read(m_accessibility, mousepad.pid()),
                 QStringLiteral("Preferences...")),
            5000);
        // The open menu's items come first, on their pixels below the window's menu bar.
        QCOMPARE(open.elements.first().role, QStringLiteral("menu item"));
        const GuideElement item = *find(open, QStringLiteral("Preferences..."));

        // Another application's window lies over the menu's last item.
        CoverWindow cover;
        cover.setGeometry(item.frame.toAlignedRect().adjusted(0, -10, 0, 10));
        cover.show();
        QTRY_VERIFY(cover.isExposed());
        QTest::qWait(300);

        const CapturedWindow shot = capture(mousepad, open.windowFrame);
        QVERIFY(shot.frame.contains(item.frame));
        const QRect covered = cover.geometry().translated(-shot.frame.topLeft().toPoint());
        int green = 0;
        for (int y = covered.top(); y <= covered.bottom(); ++y) {
            for (int x = covered.left(); x <= covered.right(); ++x)
                green += shot.image.pixelColor(x, y) == QColor(Qt::green);
        }
        QCOMPARE(green, 0);
        const QStringList read = texts(TextRecognizer::recognize(m_ocr, shot));
        QVERIFY2(read.join(u'|').contains(QStringLiteral("Preferences")),
                 qPrintable(read.join(u'|')));
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    }

    void onlyTheTargetsWindowsStayRedirected()
    {
        DesktopApp editor(QStringLiteral("mousepad"));
        DesktopApp dialog(QStringLiteral("zenity"), {QStringLiteral("--info")});
        QTRY_VERIFY_WITH_TIMEOUT(windowOf(editor) && windowOf(dialog), 10000);
        // Whether some client keeps the window's pixels off screen, asked as any client may:
        // a window that is not redirected has no pixmap to name.
        X11Connection probe;
        const auto redirected = [&probe](const WindowInfo& window) {
            const xcb_pixmap_t pixmap = xcb_generate_id(probe.get());
            auto error = xReply(xcb_request_check(
                probe.get(), xcb_composite_name_window_pixmap_checked(
                                 probe.get(), static_cast<xcb_window_t>(window.id), pixmap)));
            if (!error)
                xcb_free_pixmap(probe.get(), pixmap);
            return !error;
        };
        m_windows.prepareCapture(editor.pid());
        QVERIFY(redirected(*windowOf(editor)));
        QVERIFY(!redirected(*windowOf(dialog)));
        m_windows.prepareCapture(dialog.pid()); // the target changes: the editor is let go
        QVERIFY(!redirected(*windowOf(editor)));
        QVERIFY(redirected(*windowOf(dialog)));
    }

    void textRecognitionFindsTheLabelsWhereTheyAre()
    {
        DesktopApp mousepad(QStringLiteral("mousepad"));
        const AXSnapshot snapshot = waitForApp(mousepad, 7);
        const CapturedWindow window = capture(mousepad, snapshot.windowFrame);
        QElapsedTimer clock;
        clock.start();
        const QList<TextLine> lines = TextRecognizer::recognize(m_ocr, window);
        qInfo("recognised %lld lines in %lld ms", qlonglong(lines.size()), clock.elapsed());
        int placed = 0;
        for (const char* label : {"File", "Edit", "Search", "View", "Document", "Help"}) {
            const std::optional<GuideElement> item =
                find(snapshot.elements, QString::fromLatin1(label));
            for (const TextLine& line : lines) {
                if (line.text == QLatin1String(label) && item->frame.contains(line.frame.center()))
                    ++placed;
            }
        }
        QVERIFY2(placed >= 5, qPrintable(texts(lines).join(u'|')));

        // Merged, the menu-bar labels are not listed twice.
        const QList<GuideElement> merged =
            ElementMerging::merge(snapshot.elements, lines, window.frame);
        QCOMPARE(merged.first().title, QStringLiteral("File"));
        QCOMPARE(titles(merged, false).count(QStringLiteral("File")), 0);
    }

    void textReadAfterAChangeIsWhatAFreshReadGives()
    {
        // A calculator: unchanged, then after a button was clicked.
        DesktopApp calculator(QStringLiteral("galculator"));
        const AXSnapshot keys = waitForApp(calculator, 10);
        RecognitionCache cache;
        int first = 0, again = 0, clicked = 0;
        QList<TextLine> lines;
        QTest::qWait(500);
        const CapturedWindow before = capture(calculator, keys.windowFrame);
        QVERIFY(readAsAStep(before, cache, first, lines));
        const CapturedWindow still = capture(calculator, keys.windowFrame);
        QVERIFY(readAsAStep(still, cache, again, lines));
        QCOMPARE(again == 0, still.image == before.image);
        QVERIFY(again < first);
        const std::optional<GuideElement> seven = find(keys.elements, QStringLiteral("7"));
        QVERIFY2(seven, qPrintable(titles(keys.elements, false).join(u'|')));
        click(seven->frame);
        QTest::qWait(300);
        QVERIFY(readAsAStep(capture(calculator, keys.windowFrame), cache, clicked, lines));
        QVERIFY2(clicked > 0 && clicked < first, qPrintable(QString::number(clicked)));

        // An editor: a menu opened over it, then text typed into it.
        DesktopApp mousepad(QStringLiteral("mousepad"));
        const AXSnapshot editor = waitForApp(mousepad, 7);
        int unopened = 0, opened = 0, typed = 0;
        QVERIFY(readAsAStep(capture(mousepad, editor.windowFrame), cache, unopened, lines));
        click(find(editor.elements, QStringLiteral("Edit"))->frame);
        QTRY_VERIFY_WITH_TIMEOUT(menuOpen(m_accessibility, mousepad.pid(), QStringLiteral("Edit")),
                                 5000);
        QTest::qWait(300);
        QVERIFY(readAsAStep(capture(mousepad, editor.windowFrame), cache, opened, lines));
        QVERIFY2(texts(lines).join(u'|').contains(QStringLiteral("Preferences")),
                 qPrintable(texts(lines).join(u'|')));
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        xdotool({QStringLiteral("type"), QStringLiteral("Quarterly report")});
        QTest::qWait(300);
        QVERIFY(readAsAStep(capture(mousepad, editor.windowFrame), cache, typed, lines));
        QVERIFY2(texts(lines).join(u'|').contains(QStringLiteral("Quarterly report")),
                 qPrintable(texts(lines).join(u'|')));
        qInfo("blocks read: calculator %d, again %d, after a click %d; editor %d, menu open %d, "
              "typed into %d",
              first, again, clicked, unopened, opened, typed);
    }

    // After a click that opens a menu, a popover or a list, the step starts as soon as the
    // application has settled, and reads what a read long after gives: the same elements and
    // the same text.
    void aStepAfterAClickReadsWhatTheSettledWindowShows_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("shown");
        QTest::newRow("GTK 3 menu") << QStringList{"mousepad"} << "Edit"
                                    << "Preferences...";
        QTest::newRow("GTK 4 popover") << QStringList{"gnome-calculator"} << "Primary menu"
                                       << "Preferences";
        QTest::newRow("Qt menu") << QStringList{"/usr/lib/qt6/bin/linguist"} << "File"
                                 << "Open...";
        QTest::newRow("Qt list") << QStringList{"qt6ct"} << "Fusion"
                                 << "Windows";
    }

    void aStepAfterAClickReadsWhatTheSettledWindowShows()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, control);
        QFETCH(QString, shown);
        const QString program = command.takeFirst();
        if (QStandardPaths::findExecutable(program).isEmpty() && !QFile::exists(program))
            QSKIP(qPrintable(program + QStringLiteral(" is not installed")));
        DesktopApp app(program, command);
        const AXSnapshot before = waitForApp(app, 5);
        const std::optional<GuideElement> target = find(before.elements, control);
        QVERIFY2(target, qPrintable(titles(before.elements, false).join(u'|')));
        m_windows.prepareCapture(app.pid());
        SettleWatch settle(m_windows, m_accessibility);
        settle.listen(app.pid());
        QTest::qWait(500); // as long as a ring is up before the user clicks it

        bool settled = false;
        click(target->frame);
        settle.wait(app.pid(), ClickFollower::settleSpells, [&settled] { settled = true; });
        QTRY_VERIFY(settled);
        StepObserver step(m_accessibility, m_windows, m_ocr);
        const Observation atOnce = observe(step, app.pid());

        QTest::qWait(1500);
        StepObserver fresh(m_accessibility, m_windows, m_ocr);
        const Observation later = observe(fresh, app.pid());
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        m_windows.prepareCapture(0);
        QVERIFY2(find(atOnce.elements, shown),
                 qPrintable(
                     (titles(atOnce.elements, false) + titles(atOnce.elements, true)).join(u'|')));
        if (atOnce.elements != later.elements)
            qWarning() << "at once:"
                       << titles(atOnce.elements, false) + titles(atOnce.elements, true)
                       << "later:" << titles(later.elements, false) + titles(later.elements, true);
        QCOMPARE(atOnce.elements, later.elements);
    }

    void frozenApplicationEndsTheReadInAboutASecond()
    {
        DesktopApp mousepad(QStringLiteral("mousepad"));
        waitForApp(mousepad, 7);
        mousepad.freeze();
        QElapsedTimer clock;
        clock.start();
        const AXSnapshot frozen = AccessibilityReader::read(m_accessibility, mousepad.pid());
        const qint64 elapsed = clock.elapsed();
        qInfo("read of a frozen application ended after %lld ms with %lld elements", elapsed,
              qlonglong(frozen.elements.size()));
        QVERIFY(elapsed < 3000);
        mousepad.resume();
    }

    void applicationQuittingMidReadLosesNothing()
    {
        auto mousepad = std::make_unique<DesktopApp>(QStringLiteral("mousepad"));
        waitForApp(*mousepad, 7);
        const qint64 pid = mousepad->pid();
        QFuture<AXSnapshot> reading = QtConcurrent::run(
            [this, pid] { return AccessibilityReader::read(m_accessibility, pid); });
        mousepad.reset();
        reading.waitForFinished();
        QVERIFY(m_windows.isTerminated(pid));
        const Result<CapturedWindow> captured =
            awaitTask(ScreenCapture::captureFrontWindow(m_windows, pid, std::nullopt));
        QCOMPARE(captured.failure().description, Texts::noVisibleWindow());
    }
};

QTEST_MAIN(ObservationDesktopTest)
#include "ObservationDesktopTest.moc"
