// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QString>
#include <QTimeLine>
#include <QWidget>

/// The highlight, its pulsing ring and the instruction card, drawn over every display. With a
/// compositor the window is translucent and the ring grows and fades; without one, a shaped
/// window keeps the desktop visible and the ring blinks instead of fading (fading needs
/// translucency). Only the ring's band is repainted as it pulses.
class OverlayView : public QWidget
{
    Q_OBJECT
public:
    explicit OverlayView(bool composited);

    bool isComposited() const { return m_composited; }

    /// `target` is the element's frame in this window's coordinates.
    /// `display` is the display holding the target, in this window's coordinates: the card
    /// stays on it.
    void setContent(const QRectF& target, const QString& text, const QString& title,
                    const QRectF& display);

    /// The card's text as drawn (bounded in length).
    QString shownText() const { return m_text; }
    QString shownTitle() const { return m_title; }
    QRectF highlightRect() const;
    QRectF cardRect() const;
    /// Where the card for `text` beside `target` would go, in this window's coordinates.
    QRectF cardRectFor(const QRectF& target, const QString& text, const QRectF& display) const;
    /// Everything the ring around `target` ever covers as it pulses, with its stroke.
    QRectF ringAreaFor(const QRectF& target) const;

    /// The ring pulses while the window is shown, or, for a window never shown whose pictures
    /// are shown elsewhere, between these two.
    void startPulse();
    void stopPulse();
    /// All the highlight covers as it pulses, card and its shadow included.
    QRectF drawnArea() const;
    /// `area` of the window as it is drawn now, at `devicePixelRatio`, on a transparent ground.
    QImage picture(const QRectF& area, qreal devicePixelRatio);

signals:
    /// The pulse changed what the window shows.
    void pulsed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRectF ringBand() const;
    double cardHeightFor(double width, const QString& text) const;
    void paintCard(QPainter& painter) const;
    void updateMask();
    void placeCard();

    bool m_composited;
    QRectF m_target;
    QRectF m_display;
    QString m_text;
    QString m_title;
    QRectF m_card;
    double m_phase = 0;
    QTimeLine m_pulse;
};
