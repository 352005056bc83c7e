// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"

#include <QDBusConnection>
#include <QImage>
#include <QString>
#include <QVariantMap>

#include <chrono>

/// Window pixels from KWin's screenshot interface. KWin grants it only to a program whose
/// installed desktop entry runs exactly this executable and lists the interface (see
/// `cuewell.desktop`); others are refused, and Cuewell says how to install itself.
class KWinScreenShot
{
public:
    static inline const QString service = QStringLiteral("org.kde.KWin.ScreenShot2");
    static inline const QString path = QStringLiteral("/org/kde/KWin/ScreenShot2");
    static inline const QString interface = QStringLiteral("org.kde.KWin.ScreenShot2");
    /// The error KWin answers a program it does not grant the interface to.
    static inline const QString notAuthorized =
        QStringLiteral("org.kde.KWin.ScreenShot2.Error.NoAuthorized");

    /// The window `handle` (KWin's UUID) with its decoration, at the display's own resolution.
    /// Any thread may capture; it blocks for at most `timeout`.
    static Result<QImage> captureWindow(const QString& handle, std::chrono::milliseconds timeout);
    /// All of the output the pointer is on, as a person sees it (for pictures of Cuewell).
    static Result<QImage> captureActiveScreen(std::chrono::milliseconds timeout);

    /// Asks, without capturing anything, whether KWin grants Cuewell the interface. Waits at
    /// most `timeout` (at start-up: KWin answers at once).
    static bool isGranted(std::chrono::milliseconds timeout);

    /// The picture described by `results` (KWin's reply) from the bytes it wrote. Null when
    /// the reply describes no picture, or one `bytes` does not hold. Pure.
    static QImage imageOf(const QVariantMap& results, const QByteArray& bytes);

private:
    /// Calls `method` with `arguments`, the options and a file for the pixels.
    static Result<QImage> capture(const QString& method, QVariantList arguments,
                                  std::chrono::milliseconds timeout);
};
