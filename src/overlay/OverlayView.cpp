// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/OverlayView.h"

#include "core/Appearance.h"
#include "core/DisplayText.h"
#include "core/Texts.h"
#include "overlay/OverlayGeometry.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

namespace {

const QColor& orange = Appearance::orange;
constexpr double highlightWidth = 3;
constexpr double ringWidth = 4;
constexpr double padding = 10;
constexpr double spacing = 4;
constexpr double cardRadius = 10;
constexpr int pulseMs = 1100;
// Thirty frames a second are smooth for a slow fade and cost half of sixty.
constexpr int pulseFrameMs = 33;
// The fading ring starts nearly opaque and its corners round further as it grows.
constexpr double ringStartOpacity = 0.9;
constexpr double ringCornerGrowth = 0.3;
// A blinking ring alternates between the orange and this much lighter.
constexpr int blinkLighterPercent = 150;
// The blinking ring is strong for the first half of each beat, faint for the second.
constexpr double halfBeat = 0.5;
// The card's soft shadow: black at a third of full strength, fading out over six pixels.
constexpr int shadowSpread = 6;
constexpr double shadowOpacity = 0.33;
constexpr double cardOpacity = 0.94;
constexpr double cardBorderOpacity = 0.8;
// Text wraps within the card's width; this only needs to exceed any card's height.
constexpr double unboundedHeight = 1e6;

QFont headingFont(const QFont& base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * Appearance::captionScale);
    return font;
}

QFont bodyFont(const QFont& base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * Appearance::calloutScale);
    font.setWeight(QFont::Medium);
    return font;
}

QPainterPath rounded(const QRectF& rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

OverlayView::OverlayView(bool composited)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus),
      m_composited(composited)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground, composited);
    setAttribute(Qt::WA_NoSystemBackground, composited);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(Texts::highlightWindowTitle());
    m_pulse.setDuration(pulseMs);
    m_pulse.setUpdateInterval(pulseFrameMs);
    m_pulse.setEasingCurve(QEasingCurve::OutCubic);
    m_pulse.setLoopCount(0); // for ever
    connect(&m_pulse, &QTimeLine::valueChanged, this, [this](qreal phase) {
        // A blinking ring changes only twice a beat; a fading one at every frame.
        const bool changed = m_composited || (phase < halfBeat) != (m_phase < halfBeat);
        m_phase = phase;
        if (changed) {
            update(ringBand().toAlignedRect());
            emit pulsed();
        }
    });
}

void OverlayView::setContent(const QRectF& target, const QString& text, const QString& title,
                             const QRectF& display)
{
    m_target = target;
    m_display = display;
    m_text = DisplayText::bounded(text);
    m_title = DisplayText::bounded(title, DisplayText::maxNameGraphemes);
    placeCard();
    update();
}

QRectF OverlayView::highlightRect() const
{
    return OverlayGeometry::highlight(m_target);
}

QRectF OverlayView::cardRect() const
{
    return m_card;
}

QRectF OverlayView::cardRectFor(const QRectF& target, const QString& text,
                                const QRectF& display) const
{
    const QPointF origin = OverlayGeometry::cardOrigin(
        OverlayGeometry::highlight(target), display.isEmpty() ? QRectF(rect()) : display);
    return QRectF(origin, QSizeF(OverlayGeometry::cardWidth,
                                 cardHeightFor(OverlayGeometry::cardWidth, text)));
}

QRectF OverlayView::ringBand() const
{
    return ringAreaFor(m_target);
}

QRectF OverlayView::ringAreaFor(const QRectF& target) const
{
    const double grow = m_composited ? 1.0 : 0.0;
    const QRectF widest = OverlayGeometry::ring(OverlayGeometry::highlight(target), grow);
    return widest.adjusted(-ringWidth, -ringWidth, ringWidth, ringWidth);
}

double OverlayView::cardHeightFor(double width, const QString& text) const
{
    const double inner = width - 2 * padding;
    const QFontMetricsF heading(headingFont(font()));
    const QRectF body =
        QFontMetricsF(bodyFont(font()))
            .boundingRect(QRectF(0, 0, inner, unboundedHeight), Qt::TextWordWrap, text);
    return 2 * padding + heading.height() + spacing + body.height();
}

void OverlayView::updateMask()
{
    if (m_composited) {
        clearMask();
        return;
    }
    // Without a compositor the window is shaped: only the ring band and the card are drawn,
    // everything else shows the desktop.
    const QRectF outer = ringBand();
    const QRectF inner = highlightRect().adjusted(ringWidth, ringWidth, -ringWidth, -ringWidth);
    QRegion shape = QRegion(outer.toAlignedRect()).subtracted(QRegion(inner.toAlignedRect()));
    shape += cardRect().adjusted(-1, -1, 1, 1).toAlignedRect();
    setMask(shape);
}

// The card is laid out once per content and size, never per pulse frame.
void OverlayView::placeCard()
{
    m_card = cardRectFor(m_target, m_text, m_display);
    updateMask();
}

void OverlayView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_composited) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        painter.fillRect(rect(), palette().window());
    }
    const QRectF highlight = highlightRect();
    painter.setPen(QPen(orange, highlightWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(rounded(highlight, OverlayGeometry::radius));

    QColor ringColour = orange;
    if (m_composited) {
        ringColour.setAlphaF(ringStartOpacity * (1 - m_phase));
        painter.setPen(QPen(ringColour, ringWidth));
        painter.drawPath(rounded(OverlayGeometry::ring(highlight, m_phase),
                                 OverlayGeometry::radius * (1 + ringCornerGrowth * m_phase)));
    } else {
        // Blinks: strong for the first half of each beat, faint for the second.
        ringColour = m_phase < halfBeat ? orange : orange.lighter(blinkLighterPercent);
        painter.setPen(QPen(ringColour, ringWidth));
        painter.drawPath(rounded(highlight.adjusted(-1, -1, 1, 1), OverlayGeometry::radius));
    }
    // The pulse repaints only the ring's band; the card is drawn when it was uncovered.
    if (event->region().intersects(m_card.toAlignedRect()))
        paintCard(painter);
}

void OverlayView::paintCard(QPainter& painter) const
{
    const QRectF card = cardRect();
    if (m_composited) {
        QColor shadow = Qt::black;
        shadow.setAlphaF(shadowOpacity / shadowSpread);
        painter.setPen(Qt::NoPen);
        painter.setBrush(shadow);
        for (int i = shadowSpread; i > 0; --i)
            painter.drawPath(rounded(card.adjusted(-i, -i, i, i), cardRadius + i));
    }
    QColor background = palette().color(QPalette::Window);
    background.setAlphaF(m_composited ? cardOpacity : 1.0);
    QColor border = orange;
    border.setAlphaF(cardBorderOpacity);
    painter.setPen(QPen(border, 1));
    painter.setBrush(background);
    painter.drawPath(rounded(card, cardRadius));

    const QRectF inner = card.adjusted(padding, padding, -padding, -padding);
    const QFont heading = headingFont(font());
    const QFontMetricsF headingMetrics(heading);
    painter.setFont(heading);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(QRectF(inner.topLeft(), QSizeF(inner.width(), headingMetrics.height())),
                     Qt::AlignLeft | Qt::AlignTop,
                     headingMetrics.elidedText(m_title, Qt::ElideRight, inner.width()));
    painter.setFont(bodyFont(font()));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(inner.adjusted(0, headingMetrics.height() + spacing, 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_text);
}

void OverlayView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    startPulse();
}

void OverlayView::hideEvent(QHideEvent* event)
{
    stopPulse();
    QWidget::hideEvent(event);
}

void OverlayView::startPulse()
{
    if (m_pulse.state() != QTimeLine::Running)
        m_pulse.start();
}

void OverlayView::stopPulse()
{
    m_pulse.stop();
}

QRectF OverlayView::drawnArea() const
{
    return ringBand().united(
        m_card.adjusted(-shadowSpread, -shadowSpread, shadowSpread, shadowSpread));
}

QImage OverlayView::picture(const QRectF& area, qreal devicePixelRatio)
{
    const QRect pixels = area.toAlignedRect();
    QImage image(pixels.size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    render(&image, QPoint(), QRegion(pixels), QWidget::DrawChildren);
    return image;
}

void OverlayView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeCard();
}
