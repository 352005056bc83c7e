// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QStringList>

#include <sys/mman.h>
#include <unistd.h>

#include <optional>

/// The headless GNOME Shell of tests/desktop/run-on-gnome-wayland.sh, driven from outside
/// through the test build of Cuewell's extension: a pointer and keyboard, the screen as a
/// picture, the windows with their titles, and where the ring is drawn. Positions are logical
/// pixels, as Cuewell's.
class GnomeShellLab
{
public:
    struct Window
    {
        qint64 pid = 0;
        QString title;
        bool focused = false;
        QRect frame;
    };

    bool click(QPointF at) { return call(QStringLiteral("Click"), {at.x(), at.y()}); }
    /// Keysym names pressed together, in order ("Control_L", "Alt_L", "g").
    bool pressKeys(const QStringList& keys) { return call(QStringLiteral("PressKeys"), {keys}); }
    bool type(const QString& text) { return call(QStringLiteral("TypeText"), {text}); }
    bool activateWindowOf(qint64 pid)
    {
        return call(QStringLiteral("ActivateWindowOf"), {QVariant::fromValue(quint32(pid))});
    }

    bool moveWindowOf(qint64 pid, QPoint to)
    {
        return call(QStringLiteral("MoveWindowOf"),
                    {QVariant::fromValue(quint32(pid)), to.x(), to.y()});
    }

    QList<Window> windows()
    {
        QList<Window> windows;
        const QDBusMessage reply = message(QStringLiteral("Windows"), {});
        if (reply.type() != QDBusMessage::ReplyMessage)
            return windows;
        const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            Window w;
            quint32 pid = 0;
            list.beginStructure();
            list >> pid >> w.title >> w.focused >> w.frame;
            list.endStructure();
            w.pid = pid;
            windows.append(w);
        }
        list.endArray();
        return windows;
    }

    std::optional<Window> windowTitled(const QString& title)
    {
        for (const Window& w : windows()) {
            if (w.title == title)
                return w;
        }
        return std::nullopt;
    }

    /// Where the ring is drawn (its highlight at rest), or absent when none is shown.
    std::optional<QRectF> ring()
    {
        const QDBusMessage reply = message(QStringLiteral("Ring"), {});
        if (reply.type() != QDBusMessage::ReplyMessage || !reply.arguments().at(0).toBool())
            return std::nullopt;
        double x = 0, y = 0, w = 0, h = 0;
        const QDBusArgument box = reply.arguments().at(1).value<QDBusArgument>();
        box.beginStructure();
        box >> x >> y >> w >> h;
        box.endStructure();
        return QRectF(x, y, w, h);
    }

    /// The running GNOME Shell's major version ("48"), or empty.
    QString shellMajorVersion()
    {
        QDBusMessage get = QDBusMessage::createMethodCall(
            QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get.setArguments({QStringLiteral("org.gnome.Shell"), QStringLiteral("ShellVersion")});
        const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {};
        const QString version =
            reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
        return version.section(u'.', 0, 0);
    }

    /// Where the task's window is to be moved first (CUEWELL_TARGET_AT, "x,y": onto a second
    /// monitor), or absent to leave it where it opens.
    static std::optional<QPoint> targetAt()
    {
        const QStringList at = qEnvironmentVariable("CUEWELL_TARGET_AT").split(u',');
        if (at.size() != 2)
            return std::nullopt;
        return QPoint(at[0].toInt(), at[1].toInt());
    }

    /// Whether two points are on one monitor of the lab's (the runner's CUEWELL_SECOND_SCREEN
    /// is beside the first, right of it or on CUEWELL_SECOND_SCREEN_SIDE, at scale 1).
    static bool onOneMonitor(const QPointF& a, const QPointF& b)
    {
        if (!qEnvironmentVariableIsSet("CUEWELL_SECOND_SCREEN"))
            return true;
        const bool left = qEnvironmentVariable("CUEWELL_SECOND_SCREEN_SIDE") == u"left";
        const QString leftMonitor =
            left ? qEnvironmentVariable("CUEWELL_SECOND_SCREEN")
                 : qEnvironmentVariable("CUEWELL_SCREEN", QStringLiteral("1280x800"));
        const double seam = leftMonitor.section(u'x', 0, 0).toDouble();
        return (a.x() < seam) == (b.x() < seam);
    }

    /// The screen's device pixels to a logical one (CUEWELL_SCALE of the lab's runner).
    static double scale() { return qEnvironmentVariable("CUEWELL_SCALE", "1").toDouble(); }

    /// The whole screen, in device pixels: `scale()` of them to a logical pixel.
    QImage screenshot()
    {
        const int fd = memfd_create("lab-screenshot", MFD_CLOEXEC);
        const bool ok =
            call(QStringLiteral("Screenshot"), {QVariant::fromValue(QDBusUnixFileDescriptor(fd))});
        QByteArray png;
        if (ok) {
            const off_t size = lseek(fd, 0, SEEK_END);
            png.resize(qsizetype(size));
            if (pread(fd, png.data(), size_t(size), 0) != size)
                png.clear();
        }
        ::close(fd);
        return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
    }

private:
    QDBusMessage message(const QString& method, const QVariantList& arguments)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(
            QStringLiteral("org.cuewell.ShellTest"), QStringLiteral("/org/cuewell/ShellTest1"),
            QStringLiteral("org.cuewell.ShellTest1"), method);
        m.setArguments(arguments);
        return QDBusConnection::sessionBus().call(m, QDBus::Block, 10000);
    }

    bool call(const QString& method, const QVariantList& arguments)
    {
        return message(method, arguments).type() == QDBusMessage::ReplyMessage;
    }
};
