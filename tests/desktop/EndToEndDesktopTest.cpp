// SPDX-License-Identifier: GPL-3.0-or-later
// Whole guided tasks as a person has them: Cuewell and a real application on a desktop, a
// model server on this machine that names the right control at each step, the hot key, a typed
// goal, and then only clicks at the rings, through the overlay into the application. The panel
// is never touched until the task is done; it must never cover a ring.
#include "CuewellLaunch.h"
#include "DesktopApp.h"
#include "FakeModelHttpServer.h"
#include "RingPixels.h"
#include "ScreenReader.h"
#include "core/Texts.h"
#include "observe/AccessibilityReader.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/AtspiBus.h"
#include "platform/linux/x11/X11AtspiGeometry.h"
#include "session/FieldLabels.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
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

void clickAt(const QPointF& point)
{
    xdotool({QStringLiteral("mousemove"), QString::number(int(point.x())),
             QString::number(int(point.y())), QStringLiteral("click"), QStringLiteral("1")});
}

// Every monitor, in the desktop's coordinates (which a primary monitor right of another does not
// start).
QImage screenshot()
{
    QScreen* primary = QGuiApplication::primaryScreen();
    const QRect all = primary->virtualGeometry();
    const QPoint from = all.topLeft() - primary->geometry().topLeft();
    return primary->grabWindow(0, from.x(), from.y(), all.width(), all.height()).toImage();
}

// Whether two points are on one monitor (always, where there is one: at a scale of Qt's own
// its screen does not count in the screen pixels given here).
bool onOneMonitor(const QPointF& a, const QPointF& b)
{
    return QGuiApplication::screens().size() < 2 ||
           QGuiApplication::screenAt(a.toPoint()) == QGuiApplication::screenAt(b.toPoint());
}

void savePicture(const QImage& image, const QString& name)
{
    QDir().mkpath(QStringLiteral(CUEWELL_PICTURES_DIR));
    image.save(QStringLiteral(CUEWELL_PICTURES_DIR "/") + name);
}

// A form with a link to a page that links on, and a document to view; a browser's profile that
// skips its first-run pages, which would need the internet.
void writeWebPages(const QString& folder)
{
    const auto write = [&folder](const QString& name, const QByteArray& content) {
        QFile file(folder + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write(QStringLiteral("form.html"),
          "<!doctype html><title>Order form</title><h1>Order a parcel</h1>"
          "<p><a href=\"help.html\">Delivery help</a></p><form><label>Name <input></label>"
          "<label><input type=checkbox> Insure it</label><button type=button>Send order</button>"
          "</form>");
    write(QStringLiteral("help.html"), "<!doctype html><title>Delivery help</title><h1>Help</h1>"
                                       "<p>Parcels arrive in two days.</p>"
                                       "<p><a href=\"contact.html\">Contact us</a></p>");
    write(QStringLiteral("contact.html"),
          "<!doctype html><title>Contact</title><h1>Contact</h1><p>Write to us.</p>");
    write(QStringLiteral("user.js"),
          "user_pref(\"browser.aboutwelcome.enabled\", false);\n"
          "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
          "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
          "user_pref(\"toolkit.telemetry.reportingpolicy.firstRun\", false);\n"
          "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n");
    // A one-page scan, which the document viewer opens without further libraries.
    QProcess::execute(QStringLiteral("convert"),
                      {QStringLiteral("-size"), QStringLiteral("600x800"),
                       QStringLiteral("xc:white"), folder + QStringLiteral("/doc.tiff")});
}

// The process of the first window shown whose name matches `name`, once there is one.
std::optional<qint64> windowPid(const QString& name, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--name"), name, QStringLiteral("getwindowpid")});
        search.waitForFinished(5000);
        const qint64 pid = search.readAllStandardOutput().split('\n').value(0).toLongLong();
        if (pid > 0)
            return pid;
        QTest::qWait(200);
    }
    return std::nullopt;
}

// Moves the application's window to CUEWELL_TARGET_AT ("x,y", on a second monitor, say), when
// the desktop's runner asks for it.
void moveToTarget(const QString& name)
{
    const QStringList at = qEnvironmentVariable("CUEWELL_TARGET_AT").split(u',');
    if (at.size() == 2)
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--name"), name, QStringLiteral("windowmove"),
                 QStringLiteral("--sync"), at[0], at[1]});
}

// The process of an application's window, as Cuewell finds it.
struct DesktopWindow
{
    qint64 processId;
    qint64 pid() const { return processId; }
};

QString describe(const QRectF& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

bool windowNamed(const QString& name)
{
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--name"), name});
    return search.waitForFinished(5000) && !search.readAllStandardOutput().trimmed().isEmpty();
}

// What a screen reader is told: the accessibility events of one kind, as they are broadcast.
class EventListener : public QObject
{
    Q_OBJECT
public:
    struct Event
    {
        QString sender;
        QString path;
        QString kind;
        int detail = 0;
    };

    EventListener(QDBusConnection bus, const QString& member) : m_bus(std::move(bus))
    {
        m_bus.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"), member,
                      this, SLOT(received(QDBusMessage)));
    }

    /// Asks the registry to have applications send `event`, as screen readers do.
    void subscribe(const QString& event)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/registry"),
            QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("RegisterEvent"));
        message.setArguments({event, QStringList(), QString()});
        m_bus.call(message, QDBus::Block, 5000);
    }

    QList<Event> events;

private slots:
    void received(const QDBusMessage& message)
    {
        const QVariantList arguments = message.arguments();
        events.append({message.service(), message.path(), arguments.value(0).toString(),
                       arguments.value(1).toInt()});
    }

private:
    QDBusConnection m_bus;
};

} // namespace

class EndToEndDesktopTest : public QObject
{
    Q_OBJECT

    AtspiAccessibility m_accessibility{std::make_unique<X11AtspiGeometry>()};
    CuewellLaunch m_launch;

    // The application's controls as the session lists them, fields named by their labels.
    AXSnapshot readUntil(qint64 pid, const QString& title, int timeoutMs = 20000)
    {
        AXSnapshot snapshot;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            snapshot = AccessibilityReader::read(m_accessibility, pid);
            snapshot.elements = FieldLabels::nameUnlabelled(snapshot.elements, snapshot.labels);
            if (find(snapshot.elements, title))
                break;
            QTest::qWait(200);
        }
        return snapshot;
    }

    // Whether the application lists a control described as "kind: title".
    bool listed(qint64 pid, const QString& described)
    {
        const QString kind = described.section(QStringLiteral(": "), 0, 0);
        const QString title = described.section(QStringLiteral(": "), 1);
        const QList<GuideElement> elements =
            AccessibilityReader::read(m_accessibility, pid).elements;
        return std::any_of(elements.begin(), elements.end(), [&](const GuideElement& e) {
            return e.role == kind && e.title == title;
        });
    }

    bool isFinished(qint64 pid, const QString& finished)
    {
        if (finished.startsWith(QLatin1String("gone: ")))
            return !windowNamed(finished.mid(6));
        return windowNamed(finished) || listed(pid, finished);
    }

    // As a user would: back to the application window named `window`, the hot key over it, and
    // `goal` typed into the panel; only Return is left to press. False when a key was refused.
    bool typeGoalOver(const QString& window, const QString& goal)
    {
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--name"), window, QStringLiteral("windowactivate"),
                 QStringLiteral("--sync")});
        QTest::qWait(300);
        if (!xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+g")}))
            return false;
        QTest::qWait(500);
        return xdotool({QStringLiteral("type"), goal});
    }

private slots:
    void thePanelReadsToAScreenReaderAsItShows()
    {
        FakeModelHttpServer ollama(Provider::ollama);
        ollama.models = {QStringLiteral("llava:7b")};
        ollama.answer = FakeModelHttpServer::namingInTurn({QStringLiteral("File")});
        DesktopApp mousepad(QStringLiteral("mousepad"));
        readUntil(mousepad.pid(), QStringLiteral("File"));
        EventListener shown(AtspiBus::connection(), QStringLiteral("StateChanged"));
        shown.subscribe(QStringLiteral("object:state-changed:showing"));
        QProcess cuewell;
        QVERIFY(m_launch.start(cuewell, ollama.port()));
        const AXSnapshot panel = readUntil(cuewell.processId(), QStringLiteral("Next step"));
        QVERIFY(panel.windowFrame);
        QTRY_VERIFY(textsOf(m_accessibility, cuewell.processId()).contains(Texts::typeAGoal()));

        QVERIFY(typeGoalOver(QStringLiteral("Mousepad"), QStringLiteral("open a file")));
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(m_launch.waitForStatus(cuewell, QStringLiteral("Step 1 ready.")));

        // Each status was announced as a notification shown, from the status line itself.
        const QString service =
            m_accessibility.application(cuewell.processId(), QDeadlineTimer(2000))->service;
        QTRY_VERIFY(std::any_of(shown.events.begin(), shown.events.end(), [&](const auto& e) {
            return e.sender == service && e.kind == QLatin1String("showing") && e.detail == 1 &&
                   m_accessibility.read({AXNode{service, e.path}}, nullptr, QDeadlineTimer(2000))
                           .value(0)
                           .title == QLatin1String("Step 1 ready.");
        }));
        // Every text the panel shows reads as it shows.
        const QStringList texts = textsOf(m_accessibility, cuewell.processId());
        for (const QString& expected :
             {QStringLiteral("Step 1 ready."),
              QStringLiteral("Next: menu bar item \u201CFile\u201D"),
              QStringLiteral("Choose File."),
              QStringLiteral("1. menu bar item \u201CFile\u201D \u2014 Choose File."),
              QStringLiteral("Helping with: Mousepad")})
            QVERIFY2(texts.contains(expected), qPrintable(texts.join(u'|')));
        // The element rows, once the list is open, read as kind and title.
        const AXSnapshot controls = AccessibilityReader::read(m_accessibility, cuewell.processId());
        const auto header = std::find_if(
            controls.elements.begin(), controls.elements.end(),
            [](const GuideElement& e) { return e.title.startsWith(QLatin1String("Detected")); });
        QVERIFY(header != controls.elements.end());
        clickAt(header->frame.center());
        QTRY_VERIFY2(textsOf(m_accessibility, cuewell.processId())
                         .contains(QStringLiteral("menu bar item File")),
                     qPrintable(textsOf(m_accessibility, cuewell.processId()).join(u'|')));
        cuewell.kill();
        cuewell.waitForFinished();
    }

    void aSessionWritesOnlyItsSettingsAndTalksOnlyToThisComputer()
    {
        const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
        if (strace.isEmpty())
            QSKIP("strace is not installed");
        FakeModelHttpServer ollama(Provider::ollama);
        ollama.models = {QStringLiteral("llava:7b")};
        ollama.answer =
            FakeModelHttpServer::namingInTurn({QStringLiteral("File"), QStringLiteral("Open...")});
        DesktopApp mousepad(QStringLiteral("mousepad"));
        readUntil(mousepad.pid(), QStringLiteral("File"));
        QTemporaryDir traces;
        const QString trace = traces.filePath(QStringLiteral("calls"));
        QProcess cuewell;
        QVERIFY(m_launch.start(
            cuewell, ollama.port(),
            {strace, QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"), trace,
             QStringLiteral("-e"),
             QStringLiteral("trace=open,openat,creat,rename,renameat,renameat2,link,"
                            "linkat,symlink,truncate,mkdir,mkdirat,connect,sendto")}));
        // Cuewell runs as strace's child: whatever happens, it is ended with the test.
        auto endTraced = std::make_unique<QScopeGuard<std::function<void()>>>([&cuewell] {
            const QString tracer = QString::number(cuewell.processId());
            QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-P"), tracer});
            if (!cuewell.waitForFinished(5000))
                QProcess::execute(QStringLiteral("pkill"),
                                  {QStringLiteral("-KILL"), QStringLiteral("-P"), tracer});
        });
        readUntil(cuewell.processId(), QStringLiteral("Next step"));

        // A whole guided session: the goal, a step, a click through the ring, the next step.
        QVERIFY(typeGoalOver(QStringLiteral("Mousepad"), QStringLiteral("open a file")));
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(m_launch.waitForStatus(cuewell, QStringLiteral("Step 1 ready."), 60000));
        clickAt(
            find(readUntil(mousepad.pid(), QStringLiteral("File")).elements, QStringLiteral("File"))
                ->frame.center());
        const auto chats = [&ollama] {
            return std::count_if(ollama.received.begin(), ollama.received.end(),
                                 [](const auto& r) { return r.path == "/api/chat"; });
        };
        QTRY_COMPARE_WITH_TIMEOUT(chats(), 2, 60000); // the next step followed the click
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        endTraced.reset(); // ending Cuewell ends the trace (it may have been seen ending there)
        QVERIFY(cuewell.state() == QProcess::NotRunning || cuewell.waitForFinished(10000));

        QFile calls(trace);
        QVERIFY(calls.open(QIODevice::ReadOnly));
        const QString settings = m_launch.config.path() + QStringLiteral("/Cuewell");
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/';
        static const QRegularExpression written(
            QStringLiteral("(open|openat|creat|rename|renameat2?|link|linkat|symlink|truncate|"
                           "mkdir|mkdirat)\\(.*\"([^\"]+)\"(.*)\\) = [0-9]"));
        static const QRegularExpression network(
            QStringLiteral("(connect|sendto)\\(.*sa_family=AF_INET6?,.*(inet_addr|inet_pton)"
                           "\\((AF_INET6, )?\"([^\"]+)\""));
        QStringList offences;
        int serverConnections = 0;
        while (!calls.atEnd()) {
            const QString line = QString::fromUtf8(calls.readLine()).trimmed();
            const QRegularExpressionMatch file = written.match(line);
            const bool opens = file.captured(1).startsWith(QLatin1String("open"));
            const bool forWriting = line.contains(QLatin1String("O_WRONLY")) ||
                                    line.contains(QLatin1String("O_RDWR")) ||
                                    line.contains(QLatin1String("O_CREAT"));
            const bool writes = file.hasMatch() && (!opens || forWriting);
            if (writes && !file.captured(2).startsWith(settings) &&
                !file.captured(2).startsWith(runtime) &&
                !file.captured(2).startsWith(QLatin1String("/dev/")))
                offences.append(line);
            const QRegularExpressionMatch peer = network.match(line);
            if (peer.hasMatch()) {
                const QString address = peer.captured(4);
                if (address == QLatin1String("127.0.0.1") || address == QLatin1String("::1"))
                    ++serverConnections;
                else
                    offences.append(line);
            }
        }
        QVERIFY2(offences.isEmpty(), qPrintable(offences.join(u'\n')));
        QVERIFY(serverConnections > 0); // the trace did see the requests to the model server
    }

    void aControlOutOfViewIsReachedByScrolling()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("featherpad")).isEmpty())
            QSKIP("featherpad is not installed");
        // The model names the controls of the task in turn; the one it wants last lies below
        // the preferences' view, so it names an element it was not shown, as a model does.
        FakeModelHttpServer ollama(Provider::ollama);
        ollama.models = {QStringLiteral("llava:7b")};
        QString next = QStringLiteral("Options");
        ollama.answer = [&next](const QJsonObject& request) {
            if (next.isEmpty())
                return QStringLiteral(
                    R"({"id": 999, "explanation": "Choose Native file dialog."})");
            return FakeModelHttpServer::naming(next)(request);
        };
        DesktopApp app(QStringLiteral("featherpad"));
        readUntil(app.pid(), QStringLiteral("Options"));
        QProcess cuewell;
        QVERIFY(m_launch.start(cuewell, ollama.port()));
        readUntil(cuewell.processId(), QStringLiteral("Next step"));
        QVERIFY(
            typeGoalOver(QStringLiteral("FeatherPad"), QStringLiteral("use the native dialog")));
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        const QStringList menu{QStringLiteral("Options"), QStringLiteral("Preferences")};
        for (qsizetype step = 0; step < menu.size(); ++step) {
            QVERIFY(
                m_launch.waitForStatus(cuewell, QStringLiteral("Step %1 ready.").arg(step + 1)));
            const std::optional<GuideElement> control =
                find(readUntil(app.pid(), menu[step]).elements, menu[step]);
            QVERIFY(control);
            next = menu.value(step + 1);
            QTest::qWait(300);
            clickAt(control->frame.center());
        }

        // The step says the control is out of view and rings the area to scroll.
        QVERIFY2(m_launch.waitForStatus(cuewell, Texts::notInView()),
                 qPrintable(m_launch.statuses.join(u'|')));
        const std::optional<ScrollHint> hint =
            readUntil(app.pid(), QStringLiteral("Close")).scrollHint;
        QVERIFY(hint && hint->down);
        QTest::qWait(300);
        const QImage shown = screenshot();
        const QRectF ring = hint->area.adjusted(-6, -6, 6, 6);
        QCOMPARE(orangeSides(shown, ring), sidesOnScreen(shown, ring));
        savePicture(shown, QStringLiteral("scroll-step.png"));
        QVERIFY(textsOf(m_accessibility, cuewell.processId())
                    .contains(
                        QStringLiteral("Next: scroll area \u201CScroll down in this list\u201D")));

        // The user scrolls there and asks for the next step: the control is in view and ringed.
        next = QStringLiteral("Native file dialog");
        xdotool({QStringLiteral("mousemove"), QString::number(int(hint->area.center().x())),
                 QString::number(int(hint->area.center().y())), QStringLiteral("click"),
                 QStringLiteral("--repeat"), QStringLiteral("15"), QStringLiteral("5")});
        QTRY_VERIFY_WITH_TIMEOUT(listed(app.pid(), QStringLiteral("check box: Native file dialog")),
                                 10000);
        const AXSnapshot panel = AccessibilityReader::read(m_accessibility, cuewell.processId());
        clickAt(find(panel.elements, QStringLiteral("Next step"))->frame.center());
        QVERIFY2(m_launch.waitForStatus(cuewell, QStringLiteral("Step 4 ready.")),
                 qPrintable(m_launch.statuses.join(u'|')));
        const std::optional<GuideElement> control = find(readUntil(app.pid(), next).elements, next);
        QVERIFY(control);
        QTest::qWait(300);
        const QImage after = screenshot();
        const QRectF around = control->frame.adjusted(-6, -6, 6, 6);
        QCOMPARE(orangeSides(after, around), sidesOnScreen(after, around));
        cuewell.kill();
        cuewell.waitForFinished();
    }

    void wholeTask_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("appWindow");
        QTest::addColumn<QString>("goal");
        QTest::addColumn<QStringList>("controls");
        // When the task is done: a window of this name appears, a control of this kind and
        // title is listed ("combo box: Green"), or a window of this name has closed
        // ("gone: Paragraph"). In commands, {profile} is a folder of the task's own and
        // {pages} the folder of the test's web pages.
        QTest::addColumn<QString>("finished");
        // GTK 3: a menu of the menu bar, and its item while the menu is open.
        QTest::newRow("mousepad") << QStringList{"mousepad"} << "Mousepad"
                                  << "open the preferences" << QStringList{"Edit", "Preferences..."}
                                  << "Mousepad Preferences";
        // GTK 4: the main menu button, then an item of its popover.
        QTest::newRow("gnome-calculator")
            << QStringList{"gnome-calculator"} << "Calculator"
            << "open the preferences" << QStringList{"Primary menu", "Preferences"}
            << "Preferences";
        // Qt 6: a menu of the menu bar, then its item.
        QTest::newRow("Qt Linguist") << QStringList{"/usr/lib/qt6/bin/linguist"} << "Qt Linguist"
                                     << "open a translation file" << QStringList{"File", "Open..."}
                                     << "Open Translation Files";
        // GTK 3 form: a combo box known by the label beside it, then an item of its list.
        QTest::newRow("zenity form")
            << QStringList{"zenity",
                           "--forms",
                           "--title=Order",
                           "--add-entry=Name",
                           "--add-combo=Colour",
                           "--combo-values=Red|Green|Blue"}
            << "Order"
            << "choose green" << QStringList{"Colour", "Green"} << "combo box: Green";
        // Qt 6: a combo box, then an item of its open list.
        QTest::newRow("qt6ct") << QStringList{"qt6ct"} << "Qt6 Configuration Tool"
                               << "use the windows style" << QStringList{"Fusion", "Windows"}
                               << "combo box: Windows";
        // Web content: a check box of a form, then a link to a new page, and a link there.
        QTest::newRow("Firefox page")
            << QStringList{"firefox-esr", "--no-remote", "--profile", "{profile}",
                           "file://{pages}/form.html"}
            << "Order form"
            << "insure the parcel and find how to contact them"
            << QStringList{"Insure it", "Delivery help", "Contact us"} << "Contact";
        // Firefox's own menu, the settings it opens in a new tab, and a page of them.
        QTest::newRow("Firefox menu")
            << QStringList{"firefox-esr", "--no-remote", "--profile", "{profile}",
                           "file://{pages}/form.html"}
            << "Order form"
            << "change the search settings" << QStringList{"Firefox", "Settings", "Search"}
            << "combo box: Default search engine";
        // LibreOffice's own toolkit in GTK 3: the tip of the day closed, a menu of the menu bar,
        // its item, a tab of the dialog it opened, a choice on that tab, and OK.
        QTest::newRow("LibreOffice Writer")
            << QStringList{"/usr/lib/libreoffice/program/soffice", "--writer", "--norestore",
                           "-env:UserInstallation=file://{profile}"}
            << "LibreOffice Writer"
            << "justify the paragraph"
            << QStringList{"OK", "Format", "Paragraph...", "Alignment", "Justified", "OK"}
            << "gone: Paragraph";
        // A file manager: a menu, its item, a tab of the dialog, closing it, and back in the
        // window the task started in.
        QTest::newRow("Thunar") << QStringList{"thunar", "{profile}"} << "Thunar"
                                << "see the behaviour settings and go home"
                                << QStringList{"Edit", "Preferences...", "Behavior", "Close",
                                               "Home"}
                                << "gone: File Manager Preferences";
        // GTK 4 and libadwaita: the main menu's popover, then a switch in the preferences
        // window it opened.
        QTest::newRow("gnome-text-editor")
            << QStringList{"gnome-text-editor", "--standalone"} << "Text Editor"
            << "show the overview map"
            << QStringList{"Menu", "Preferences", "Display Overview Map", "Close"}
            << "gone: Preferences";
        // Qt 5: a menu, its item, a tab of the dialog it opened, and Close.
        QTest::newRow("FeatherPad")
            << QStringList{"featherpad"} << "FeatherPad"
            << "see the text settings" << QStringList{"Options", "Preferences", "Text", "Close"}
            << "gone: Preferences";
        // A document viewer: its menu popover, the properties dialog, and Close.
        QTest::newRow("Evince") << QStringList{"evince", "{pages}/doc.tiff"} << "doc.tiff"
                                << "see the document's properties"
                                << QStringList{"File options", "Properties", "Close"}
                                << "gone: Properties";
    }

    void wholeTask()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, appWindow);
        QFETCH(QString, goal);
        QFETCH(QStringList, controls);
        QFETCH(QString, finished);
        const QString program = command.takeFirst();
        if (QStandardPaths::findExecutable(program).isEmpty() && !QFile::exists(program))
            QSKIP(qPrintable(program + QStringLiteral(" is not installed")));
        QTemporaryDir profile;
        writeWebPages(profile.path());
        command.replaceInStrings(QStringLiteral("{profile}"), profile.path());
        command.replaceInStrings(QStringLiteral("{pages}"), profile.path());

        // On a free port, where OLLAMA_HOST tells Cuewell to look: a real Ollama may be running.
        FakeModelHttpServer ollama(Provider::ollama);
        ollama.models = {QStringLiteral("llava:7b")};
        // The model names the control the task is at: a step asked again (the task went to a
        // new window) gets the same answer.
        QString next = controls.first();
        ollama.answer = [&next](const QJsonObject& request) {
            const QString prompt = FakeModelHttpServer::promptOf(request);
            if (FakeModelHttpServer::idOf(next, prompt).isEmpty())
                qWarning("no element named %s was listed:\n%s", qPrintable(next),
                         qPrintable(prompt));
            return FakeModelHttpServer::naming(next)(request);
        };

        DesktopApp started(program, command);
        // The application is the process whose window shows: a launcher may start it as a
        // child, and start it again when a first start sets up its profile (LibreOffice).
        const DesktopWindow app{windowPid(appWindow, 60000).value_or(started.pid())};
        moveToTarget(appWindow);
        QVERIFY2(find(readUntil(app.pid(), controls.first(), 60000).elements, controls.first()),
                 qPrintable(program + QStringLiteral(" shows no ") + controls.first()));
        QProcess cuewell;
        QVERIFY(m_launch.start(cuewell, ollama.port()));
        QVERIFY2(find(readUntil(cuewell.processId(), QStringLiteral("Next step")).elements,
                      QStringLiteral("Go")),
                 "the panel's controls are not accessible");

        // Back to the application, then the hot key over it, the goal and Return.
        QVERIFY(typeGoalOver(appWindow, goal));
        qint64 triggered = QDateTime::currentMSecsSinceEpoch();
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});

        QRectF lastRinged;
        for (qsizetype step = 0; step < controls.size(); ++step) {
            const QString ready = QStringLiteral("Step %1 ready.").arg(step + 1);
            QVERIFY2(m_launch.waitForStatus(cuewell, ready),
                     qPrintable(m_launch.statuses.join(u'|')));
            const std::optional<qint64> asked = ollama.lastChatAtMs();
            QVERIFY(asked);
            qInfo("%s step %lld: %lld ms from the trigger to the request", qPrintable(appWindow),
                  qlonglong(step + 1), qlonglong(*asked - triggered));
            const AXSnapshot seen = readUntil(app.pid(), controls[step]);
            const std::optional<GuideElement> control = find(seen.elements, controls[step]);
            QVERIFY2(control, qPrintable(controls[step]));
            QTest::qWait(300);
            const QImage shown = screenshot();
            const QRectF ring = control->frame.adjusted(-6, -6, 6, 6);
            if (orangeSides(shown, ring) != sidesOnScreen(shown, ring)) {
                const QString picture = QDir::temp().filePath(QStringLiteral("ring-missed.png"));
                shown.save(picture);
                qWarning("the screen without the ring around %s at %s is in %s",
                         qPrintable(controls[step]), qPrintable(describe(control->frame)),
                         qPrintable(picture));
            }
            QCOMPARE(orangeSides(shown, ring), sidesOnScreen(shown, ring));
            QVERIFY(sidesOnScreen(shown, ring) >= 3);
            // The panel is where Cuewell put it, clear of the ring, and names the window read.
            const AXSnapshot panel =
                AccessibilityReader::read(m_accessibility, cuewell.processId());
            QVERIFY(panel.windowFrame);
            QVERIFY2(!panel.windowFrame->intersects(control->frame.adjusted(-6, -6, 6, 6)),
                     qPrintable(QStringLiteral("the panel at %1 covers the ring at %2")
                                    .arg(describe(*panel.windowFrame), describe(control->frame))));
            QVERIFY2(onOneMonitor(panel.windowFrame->center(), control->frame.center()),
                     qPrintable(QStringLiteral("the panel at %1 is on another monitor than "
                                               "the ring at %2")
                                    .arg(describe(*panel.windowFrame), describe(control->frame))));
            // (A browser retitles its window as a new page loads: the title read then is part
            // of the one read now.)
            const QStringList panelTexts = textsOf(m_accessibility, cuewell.processId());
            const auto namesTheWindow = [&seen](const QString& text) {
                return text.startsWith(Texts::readingWindow()) &&
                       seen.windowTitle.contains(text.mid(Texts::readingWindow().size()));
            };
            QVERIFY2(std::any_of(panelTexts.begin(), panelTexts.end(), namesTheWindow),
                     qPrintable(seen.windowTitle + u'|' + panelTexts.join(u'|')));
            if (step == 1 && program == QLatin1String("mousepad"))
                savePicture(shown, QStringLiteral("whole-task.png"));
            triggered = QDateTime::currentMSecsSinceEpoch();
            lastRinged = control->frame;
            next = controls.value(step + 1);
            clickAt(control->frame.center());
        }
        QTRY_VERIFY_WITH_TIMEOUT(isFinished(app.pid(), finished), 10000);

        // Done: Stop, from the panel, takes the ring away.
        const AXSnapshot panel = AccessibilityReader::read(m_accessibility, cuewell.processId());
        clickAt(find(panel.elements, QStringLiteral("Stop"))->frame.center());
        QVERIFY(m_launch.waitForStatus(
            cuewell, QStringLiteral("Stopped. Type a new goal and press Return.")));
        QTRY_COMPARE(orangeSides(screenshot(), lastRinged.adjusted(-6, -6, 6, 6)), 0);
        cuewell.kill();
        cuewell.waitForFinished();
    }
};

QTEST_MAIN(EndToEndDesktopTest)
#include "EndToEndDesktopTest.moc"
