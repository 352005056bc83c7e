// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "KWinFakeInput.h"
#include "RingPixels.h"
#include "platform/linux/kwin/KWinConnection.h"
#include "platform/linux/kwin/KWinScreenShot.h"

#include <QTest>

#include <linux/input-event-codes.h>

/// The headless KWin of run-on-kde-wayland.sh, as the tests see and drive it: its windows
/// through a KWin script of the tests' own (beside Cuewell's), its screen through KWin's
/// screenshot interface, and its pointer and keys through fake input.
class KWinLab
{
public:
    KWinLab() { m_started = m_kwin.start(std::chrono::milliseconds(3000)); }

    bool isReady() const { return m_started && m_input.isAvailable(); }
    KWinConnection& kwin() { return m_kwin; }
    KWinFakeInput& input() { return m_input; }

    /// The windows on screen, front first, as KWin last reported them.
    QList<CompositorWindow> windows() const { return m_kwin.windows(); }

    std::optional<QRect> windowOf(qint64 pid) const
    {
        for (const CompositorWindow& w : windows()) {
            if (w.pid == pid && !w.popup && w.layer == 0)
                return w.frame;
        }
        return std::nullopt;
    }

    bool hasFocus(qint64 pid) const
    {
        const QList<CompositorWindow> all = windows();
        return std::any_of(all.begin(), all.end(),
                           [pid](const CompositorWindow& w) { return w.pid == pid && w.focused; });
    }

    /// The windows as KWin lists them, front first, for a failure's message.
    QByteArray windowList() const
    {
        QStringList list;
        for (const CompositorWindow& w : windows())
            list.append(QStringLiteral("%1 %2 %3,%4 %5x%6%7%8")
                            .arg(w.pid)
                            .arg(w.applicationName)
                            .arg(w.frame.x())
                            .arg(w.frame.y())
                            .arg(w.frame.width())
                            .arg(w.frame.height())
                            .arg(w.popup ? QStringLiteral(" popup") : QString())
                            .arg(w.focused ? QStringLiteral(" *") : QString()));
        return list.join(QStringLiteral(", ")).toUtf8();
    }

    QImage screenshot()
    {
        const Result<QImage> shot = KWinScreenShot::captureActiveScreen(std::chrono::seconds(5));
        return shot ? shot.value() : QImage();
    }

    /// The ring as the screen shows it within `area` and outside `panel`: the box of the
    /// highlight's own orange (the card's border and the fading ring are paler). Absent while
    /// no highlight is shown there.
    std::optional<QRect> ring(const QRect& area, const QRect& panel)
    {
        const QImage screen = screenshot();
        const QRect within = area.intersected(screen.rect());
        QRect box;
        for (int y = within.top(); y <= within.bottom(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
            for (int x = within.left(); x <= within.right(); ++x) {
                if (panel.contains(x, y))
                    continue;
                if (qRed(line[x]) > 240 && std::abs(qGreen(line[x]) - 149) < 16 &&
                    qBlue(line[x]) < 24)
                    box |= QRect(x, y, 1, 1);
            }
        }
        return box.width() > 4 && box.height() > 4 ? std::optional(box) : std::nullopt;
    }

    void pressHotKey() { m_input.press({KEY_LEFTCTRL, KEY_LEFTALT, KEY_G}); }
    void pressReturn() { m_input.press({KEY_ENTER}); }

private:
    KWinConnection m_kwin{QStringLiteral("cuewell-tests")};
    KWinFakeInput m_input;
    bool m_started = false;
};
