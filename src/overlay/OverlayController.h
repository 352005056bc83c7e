// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "overlay/OverlayGeometry.h"
#include "platform/OverlayPort.h"

#include <QImage>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class OverlayView;

/// Owns the click-through overlay window: created on the first show, kept and reused. The
/// window is translucent where a compositor runs and shaped where none does; which one is
/// checked at every show and while shown, and the window is made again when that changes
/// (a translucent window without a compositor would black out the screen).
class OverlayController : public QObject, public OverlayPort
{
    Q_OBJECT
public:
    /// `compositorRunning` tells whether the desktop composites windows right now.
    explicit OverlayController(std::function<bool()> compositorRunning, QObject* parent = nullptr);
    ~OverlayController() override;

    void show(const QRectF& frame, const QString& text, const QString& title) override;
    void hide() override;

    /// What showing `frame` with `text` would cover: the ring as it pulses and the card, in
    /// global logical pixels (those of windows), so other windows can keep clear of them.
    struct Covered
    {
        QRectF ring;
        QRectF card;
    };
    std::optional<Covered> coveredBy(const QRectF& frame, const QString& text);

    /// The window, once made (for tests and pictures).
    OverlayView* view() const { return m_view.get(); }

    /// The highlight as someone else draws it (a compositor that lets no client draw over
    /// other windows): where the highlight and the card go, in global logical pixels, with the
    /// texts as they are to be shown.
    struct Drawing
    {
        QRectF highlight;
        QRectF card;
        QString title;
        QString text;
    };
    /// From now on the highlight is not shown in a window of its own but handed to `draw`
    /// (absent to take it away), laid out exactly as the window would show it on `displays`
    /// (where whoever draws says the displays are).
    void drawElsewhere(std::function<void(const std::optional<Drawing>&)> draw,
                       std::function<QList<OverlayGeometry::DisplayArea>()> displays);

    /// The highlight as pictures shown elsewhere (a compositor surface of Cuewell's own above
    /// every window): the area the highlight covers, drawn anew at each beat of the pulse,
    /// with its top-left in global logical pixels.
    struct Picture
    {
        QImage image;
        QPointF topLeft;
    };
    /// From now on the highlight is handed to `present` as pictures (absent to take it away),
    /// laid out on `displays`.
    void drawAsPictures(std::function<void(const std::optional<Picture>&)> present,
                        std::function<QList<OverlayGeometry::DisplayArea>()> displays);

private:
    struct Shown
    {
        QRectF frame;
        QString text;
        QString title;
    };

    struct Placement
    {
        QRectF target;  // in the window's coordinates
        QPointF origin; // of the window, in global logical pixels
        QRectF display; // holding the target, in the window's coordinates
    };

    std::optional<Placement> place(const QRectF& requested);
    void presentPicture();
    void ensureViewMode();
    void followCompositor();

    std::function<bool()> m_compositorRunning;
    std::function<void(const std::optional<Drawing>&)> m_drawElsewhere;
    std::function<void(const std::optional<Picture>&)> m_present;
    QPointF m_origin; // of the window, in global logical pixels
    std::function<QList<OverlayGeometry::DisplayArea>()> m_displays;
    std::unique_ptr<OverlayView> m_view;
    std::optional<Shown> m_shown;
    QTimer m_compositorWatch;
};
