// A whole guided session as a person has it: Cuewell and mousepad on a desktop, a model server
// on this machine that names the File menu, the hot key, a typed goal, the ring on screen, a
// click through it, the next step and stop.
#include "DesktopApp.h"
#include "FakeModelHttpServer.h"
#include "MenuProbe.h"
#include "observe/AccessibilityReader.h"
#include "platform/linux/AtspiAccessibility.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {

std::optional<GuideElement> find(const QList<GuideElement>& elements, const QString& title)
{
    for (const GuideElement& e : elements) {
        if (e.title == title)
            return e;
    }
    return std::nullopt;
}

// Answers with the id that the prompt gives the element titled "File".
QString answerFile(const QJsonObject& request)
{
    const QJsonValue content = request["messages"].toArray()[1].toObject()["content"];
    static const QRegularExpression line(QStringLiteral("^(\\d+) \\| [^|]+ \\| File \\|"),
                                         QRegularExpression::MultilineOption);
    const QString id = line.match(content.toString()).captured(1);
    return QStringLiteral(
               "{\"id\": %1, \"explanation\": \"Open the File menu, then choose Open.\"}")
        .arg(id.isEmpty() ? QStringLiteral("null") : id);
}

bool isOrange(const QColor& c)
{
    // The ring's orange, at any point of its pulse.
    return c.red() > 200 && c.green() > 90 && c.green() < 235 && c.red() - c.blue() > 100;
}

// Whether the ring is drawn around `frame`: orange on each side of the highlight.
int orangeSides(const QImage& screen, const QRectF& frame)
{
    const QRect ring = frame.adjusted(-6, -6, 6, 6).toRect();
    int sides = 0;
    const auto anyOrange = [&](QPoint from, QPoint step) {
        for (int i = -3; i <= 3; ++i) {
            if (isOrange(screen.pixelColor(from + step * i)))
                return true;
        }
        return false;
    };
    sides += anyOrange({ring.center().x(), ring.top()}, {0, 1});
    sides += anyOrange({ring.center().x(), ring.bottom()}, {0, 1});
    sides += anyOrange({ring.left(), ring.center().y()}, {1, 0});
    sides += anyOrange({ring.right(), ring.center().y()}, {1, 0});
    return sides;
}

void clickAt(const QPointF& point)
{
    xdotool({QStringLiteral("mousemove"), QString::number(int(point.x())),
             QString::number(int(point.y())), QStringLiteral("click"), QStringLiteral("1")});
}

} // namespace

class EndToEndDesktopTest : public QObject
{
    Q_OBJECT

    AtspiAccessibility m_accessibility;
    QStringList m_statuses;

    bool waitForStatus(QProcess& cuewell, const QString& status, int timeoutMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (cuewell.canReadLine()) {
                const QString line = QString::fromUtf8(cuewell.readLine()).trimmed();
                const qsizetype at = line.indexOf(QLatin1String("status: "));
                if (at >= 0)
                    m_statuses.append(line.mid(at + 8));
            }
            if (m_statuses.contains(status))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    AXSnapshot readUntil(qint64 pid, const QString& title)
    {
        AXSnapshot snapshot;
        for (int i = 0; i < 100; ++i) {
            snapshot = AccessibilityReader::read(m_accessibility, pid);
            if (find(snapshot.elements, title))
                break;
            QTest::qWait(200);
        }
        return snapshot;
    }

    static QImage screenshot() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

    static void savePicture(const QImage& image, const QString& name)
    {
        QDir().mkpath(QStringLiteral(CUEWELL_PICTURES_DIR));
        image.save(QStringLiteral(CUEWELL_PICTURES_DIR "/") + name);
    }

private slots:
    void guidedSessionOnMousepad()
    {
        FakeModelHttpServer ollama(Provider::ollama, 11434);
        QVERIFY2(ollama.port() == 11434, "port 11434 is taken on this machine");
        ollama.models = {QStringLiteral("llava:7b")};
        ollama.answer = answerFile;

        QTemporaryDir config;
        QDir(config.path()).mkpath(QStringLiteral("Cuewell"));
        QFile settings(config.filePath(QStringLiteral("Cuewell/Cuewell.conf")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\nseenExplainer=true\n");
        settings.close();

        DesktopApp mousepad(QStringLiteral("mousepad"));
        const AXSnapshot before = readUntil(mousepad.pid(), QStringLiteral("File"));
        const QRectF file = find(before.elements, QStringLiteral("File"))->frame;

        QProcess cuewell;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("cuewell.session.info=true"));
        cuewell.setProcessEnvironment(env);
        cuewell.setProcessChannelMode(QProcess::MergedChannels);
        cuewell.start(QStringLiteral(CUEWELL_BINARY), {});
        QVERIFY(cuewell.waitForStarted());
        const AXSnapshot panel = readUntil(cuewell.processId(), QStringLiteral("Next step"));
        QVERIFY2(find(panel.elements, QStringLiteral("Go")),
                 "the panel's controls are not accessible");

        // The panel goes to the right, as a person would put it, clear of the editor's menus.
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                 QString::number(cuewell.processId()), QStringLiteral("--name"),
                 QStringLiteral("Cuewell"), QStringLiteral("windowmove"), QStringLiteral("%@"),
                 QStringLiteral("790"), QStringLiteral("40")});
        QTest::qWait(300);

        // Back to the editor, then the hot key over it.
        xdotool({QStringLiteral("search"), QStringLiteral("--pid"), QString::number(mousepad.pid()),
                 QStringLiteral("windowactivate"), QStringLiteral("--sync")});
        QTest::qWait(300);
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+g")}));
        QTest::qWait(500);
        xdotool({QStringLiteral("type"), QStringLiteral("open a file")});
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});

        QVERIFY2(waitForStatus(cuewell, QStringLiteral("Step 1 ready.")),
                 qPrintable(m_statuses.join(u'|')));
        QCOMPARE(m_statuses.first(), QStringLiteral("Reading Mousepad\u2026"));
        QTest::qWait(400);
        const QImage ringed = screenshot();
        savePicture(ringed.copy(before.windowFrame->toRect().adjusted(-20, -40, 320, 40)),
                    QStringLiteral("overlay.png"));
        QCOMPARE(orangeSides(ringed, file), 4);

        // The click goes through the ring to the menu underneath.
        QVERIFY(!menuOpen(m_accessibility, mousepad.pid(), QStringLiteral("File")));
        clickAt(file.center());
        QTRY_VERIFY_WITH_TIMEOUT(menuOpen(m_accessibility, mousepad.pid(), QStringLiteral("File")),
                                 5000);
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});

        // Next step, then stop, with the panel's own buttons.
        const AXSnapshot controls = AccessibilityReader::read(m_accessibility, cuewell.processId());
        clickAt(find(controls.elements, QStringLiteral("Next step"))->frame.center());
        QVERIFY2(waitForStatus(cuewell, QStringLiteral("Step 2 ready.")),
                 qPrintable(m_statuses.join(u'|')));
        clickAt(find(controls.elements, QStringLiteral("Stop"))->frame.center());
        QVERIFY(
            waitForStatus(cuewell, QStringLiteral("Stopped. Type a new goal and press Return.")));
        QTest::qWait(300);
        QCOMPARE(orangeSides(screenshot(), file), 0);
        const auto chats = std::count_if(ollama.received.begin(), ollama.received.end(),
                                         [](const auto& r) { return r.method == "POST"; });
        QCOMPARE(chats, 2);
        cuewell.kill();
        cuewell.waitForFinished();
    }
};

QTEST_MAIN(EndToEndDesktopTest)
#include "EndToEndDesktopTest.moc"
