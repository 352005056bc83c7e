// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/kwin/KWinScreenShot.h"

#include "core/Texts.h"
#include "platform/linux/FileBytes.h"
#include "platform/linux/LinuxLog.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QThread>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A picture larger than any display: a reply asking for more is not believed.
constexpr qint64 maxSide = 16384;
constexpr qint64 maxBytes = qint64(512) * 1024 * 1024;

QVariantMap captureOptions()
{
    return {{QStringLiteral("include-decoration"), true},
            {QStringLiteral("include-cursor"), false},
            {QStringLiteral("native-resolution"), true}};
}

// KWin answers first and writes the pixels after, from a thread of its own; the file fills
// within milliseconds.
QByteArray readWhenWritten(int fd, qint64 expected, QDeadlineTimer deadline)
{
    struct stat status = {};
    while (fstat(fd, &status) == 0 && status.st_size < expected && !deadline.hasExpired())
        QThread::msleep(2);
    if (status.st_size < expected)
        return {};
    return fileBytesFromStart(fd, qsizetype(expected));
}

// `method` of the screenshot interface with `arguments`, the options and `fd` for the pixels.
QDBusMessage captureCall(const QString& method, QVariantList arguments, int fd)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        KWinScreenShot::service, KWinScreenShot::path, KWinScreenShot::interface, method);
    arguments << captureOptions() << QVariant::fromValue(QDBusUnixFileDescriptor(fd));
    call.setArguments(arguments);
    return call;
}

qint64 expectedBytes(const QVariantMap& results)
{
    const qint64 height = results.value(QStringLiteral("height")).toLongLong();
    const qint64 stride = results.value(QStringLiteral("stride")).toLongLong();
    return height > 0 && stride > 0 && height * stride <= maxBytes ? height * stride : 0;
}

} // namespace

QImage KWinScreenShot::imageOf(const QVariantMap& results, const QByteArray& bytes)
{
    const qint64 width = results.value(QStringLiteral("width")).toLongLong();
    const qint64 height = results.value(QStringLiteral("height")).toLongLong();
    const qint64 stride = results.value(QStringLiteral("stride")).toLongLong();
    const auto format = QImage::Format(results.value(QStringLiteral("format")).toInt());
    const bool fourBytes = format == QImage::Format_ARGB32 ||
                           format == QImage::Format_ARGB32_Premultiplied ||
                           format == QImage::Format_RGB32;
    if (results.value(QStringLiteral("type")).toString() != QLatin1String("raw") || !fourBytes ||
        width <= 0 || height <= 0 || width > maxSide || height > maxSide || stride < width * 4 ||
        bytes.size() < height * stride)
        return {};
    // The picture is copied out of the bytes, which go with this call.
    return QImage(reinterpret_cast<const uchar*>(bytes.constData()), int(width), int(height),
                  qsizetype(stride), format)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

Result<QImage> KWinScreenShot::captureWindow(const QString& handle,
                                             std::chrono::milliseconds timeout)
{
    return capture(QStringLiteral("CaptureWindow"), {handle}, timeout);
}

Result<QImage> KWinScreenShot::captureActiveScreen(std::chrono::milliseconds timeout)
{
    return capture(QStringLiteral("CaptureActiveScreen"), {}, timeout);
}

Result<QImage> KWinScreenShot::capture(const QString& method, QVariantList arguments,
                                       std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    const int fd = memfd_create("cuewell-capture", MFD_CLOEXEC);
    if (fd < 0)
        return Failure{Texts::captureFailed(Texts::kwinCaptureFailed())};
    const QDBusMessage call = captureCall(method, std::move(arguments), fd);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        call, QDBus::Block, int(std::max<qint64>(1, deadline.remainingTime())));
    QByteArray bytes;
    QVariantMap results;
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        results = qdbus_cast<QVariantMap>(reply.arguments().constFirst());
        if (const qint64 expected = expectedBytes(results))
            bytes = readWhenWritten(fd, expected, deadline);
    }
    ::close(fd);
    const QImage image = imageOf(results, bytes);
    if (image.isNull()) {
        qCInfo(lcLinux) << "KWin gave no picture:" << reply.errorName() << reply.errorMessage();
        return Failure{Texts::captureFailed(reply.errorName() == notAuthorized
                                                ? Texts::kwinCaptureNotGranted()
                                                : Texts::kwinCaptureFailed())};
    }
    return image;
}

bool KWinScreenShot::isGranted(std::chrono::milliseconds timeout)
{
    // KWin asks who calls before it looks for the window: a window that cannot exist tells
    // "not granted" from "no such window" and captures nothing.
    const int fd = memfd_create("cuewell-check", MFD_CLOEXEC);
    const QDBusMessage call =
        captureCall(QStringLiteral("CaptureWindow"),
                    {QStringLiteral("{00000000-0000-0000-0000-000000000000}")}, fd);
    ::close(fd);
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, int(timeout.count()));
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    const QString error = reply.errorName();
    return error != notAuthorized &&
           error != QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") &&
           error != QLatin1String("org.freedesktop.DBus.Error.UnknownObject") &&
           error != QLatin1String("org.freedesktop.DBus.Error.NoReply") &&
           error != QLatin1String("org.freedesktop.DBus.Error.UnknownMethod");
}
