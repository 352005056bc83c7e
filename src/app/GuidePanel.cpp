// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GuidePanel.h"

#include "core/Texts.h"
#include "platform/WindowsPort.h"
#include "ui/ContentView.h"
#include "ui/PanelPlacement.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace {

const QSize panelSize(480, 640);
// The window manager may adjust a window it was just asked to move; moves this soon after are
// its doing, not the user's.
constexpr qint64 settleMs = 500;
// A move by fewer pixels than this is not one a person makes on purpose.
constexpr int handMoveTolerance = 8;

} // namespace

GuidePanel::GuidePanel(GuideModel& model, PermissionsPort& permissions, WindowsPort& windows,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_windows(windows)
{
    setWindowTitle(Texts::appName);
    setAccessibleName(Texts::appName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_content = new ContentView(model, permissions);
    layout->addWidget(m_content);
    resize(panelSize);
}

// Where the panel may go: the desktop's word, which on a scaled GNOME on Wayland differs from
// Qt's.
QList<QRectF> GuidePanel::screenAreas() const
{
    QList<QRectF> areas;
    for (const DisplayLayout& display : m_windows.displayLayouts())
        areas.append(display.available);
    return areas;
}

void GuidePanel::showBeside(const std::optional<QRectF>& window)
{
    noticeMoveByHand();
    if (!m_movedByHand) {
        const QRectF frame =
            PanelPlacement::besideWindow(screenAreas(), window, currentFrame().size());
        placeAt(frame.topLeft());
    }
    show();
}

void GuidePanel::keepClearOf(const QRectF& ring, const QRectF& card,
                             const std::optional<QRectF>& window)
{
    noticeMoveByHand();
    QList<QRectF> keepClear{ring};
    if (!m_movedByHand)
        keepClear.append(card);
    const QRectF frame = currentFrame();
    const QRectF clear = PanelPlacement::clearOf(screenAreas(), window, keepClear, frame);
    if (clear != frame)
        placeAt(clear.topLeft());
}

void GuidePanel::placeAt(const QPointF& frameTopLeft)
{
    m_placedAt = frameTopLeft.toPoint();
    m_sincePlaced.start();
    if (m_placer)
        m_placer->moveTo(m_placedAt);
    else
        move(m_placedAt);
}

QRectF GuidePanel::currentFrame() const
{
    if (m_placer) {
        if (const std::optional<QRectF> frame = m_placer->frame())
            return *frame;
        return QRectF(m_placedAt, QSizeF(frameGeometry().size()));
    }
    return QRectF(frameGeometry());
}

// Where the compositor places the panel no move events come; a panel found away from where it
// was put, once the compositor has had time to put it there, was moved by hand.
void GuidePanel::noticeMoveByHand()
{
    if (!m_placer || !isVisible() || !m_sincePlaced.isValid() || m_sincePlaced.elapsed() < settleMs)
        return;
    if (const std::optional<QRectF> frame = m_placer->frame();
        frame && (frame->topLeft().toPoint() - m_placedAt).manhattanLength() > handMoveTolerance)
        m_movedByHand = true;
}

void GuidePanel::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (!isVisible())
        return;
    if (m_sincePlaced.isValid() && m_sincePlaced.elapsed() < settleMs) {
        m_placedAt = pos();
        return;
    }
    if ((pos() - m_placedAt).manhattanLength() > handMoveTolerance)
        m_movedByHand = true;
}

void GuidePanel::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

void GuidePanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    emit openChanged(true);
}

// Closed by the user, the panel is placed afresh beside the window in use when it comes back.
void GuidePanel::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_movedByHand = false;
    emit openChanged(false);
}
