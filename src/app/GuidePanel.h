// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <optional>

class ContentView;
class GuideModel;
class PermissionsPort;
class WindowsPort;

/// The one panel holding the whole interface: 480 by 640, floating above other windows.
/// Closing it only hides it. It goes beside the window the user works in, and out of the way
/// of every ring before the ring is shown; once the user has moved it by hand it stays where
/// they put it, unless it would cover a ring.
class GuidePanel : public QWidget
{
    Q_OBJECT
public:
    GuidePanel(GuideModel& model, PermissionsPort& permissions, WindowsPort& windows,
               QWidget* parent = nullptr);

    ContentView* content() const { return m_content; }

    /// Where a compositor, not Qt, places the panel (Wayland): `frame` tells where the panel
    /// is, when known, and `moveTo` asks for it to go elsewhere.
    struct Placer
    {
        std::function<std::optional<QRectF>()> frame;
        std::function<void(QPoint topLeft)> moveTo;
    };
    void placeThrough(Placer placer) { m_placer = std::move(placer); }

    /// Shows the panel, beside `window` (global logical pixels) unless the user has moved it.
    void showBeside(const std::optional<QRectF>& window);
    /// Moves the panel off `ring` and `card` before they are shown (off the ring only, once
    /// the user has moved the panel by hand).
    void keepClearOf(const QRectF& ring, const QRectF& card, const std::optional<QRectF>& window);

signals:
    void openChanged(bool open);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void placeAt(const QPointF& frameTopLeft);
    QRectF currentFrame() const;
    void noticeMoveByHand();
    QList<QRectF> screenAreas() const;

    WindowsPort& m_windows;
    ContentView* m_content;
    std::optional<Placer> m_placer;
    bool m_movedByHand = false;
    QPoint m_placedAt;
    QElapsedTimer m_sincePlaced;
};
