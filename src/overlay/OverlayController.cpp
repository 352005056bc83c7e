// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/OverlayController.h"

#include "core/NumericRange.h"
#include "overlay/OverlayGeometry.h"
#include "overlay/OverlayLog.h"
#include "overlay/OverlayView.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr int compositorCheckMs = 2000;

QList<OverlayGeometry::DisplayArea> qtDisplays()
{
    QList<OverlayGeometry::DisplayArea> list;
    for (QScreen* screen : QGuiApplication::screens())
        list.append({QRectF(screen->geometry()), screen->devicePixelRatio()});
    return list;
}

} // namespace

OverlayController::OverlayController(std::function<bool()> compositorRunning, QObject* parent)
    : QObject(parent), m_compositorRunning(std::move(compositorRunning)), m_displays(qtDisplays)
{
    m_compositorWatch.setInterval(compositorCheckMs);
    connect(&m_compositorWatch, &QTimer::timeout, this, &OverlayController::followCompositor);
}

OverlayController::~OverlayController() = default;

void OverlayController::ensureViewMode()
{
    const bool composited = m_compositorRunning();
    if (!m_view || m_view->isComposited() != composited) {
        qCDebug(lcOverlay) << "making the highlight window, composited:" << composited;
        m_view = std::make_unique<OverlayView>(composited);
    }
}

// A compositor that starts or stops under a shown highlight gets a window of the right kind.
void OverlayController::followCompositor()
{
    if (m_view && m_view->isVisible() && m_shown && m_view->isComposited() != m_compositorRunning())
        show(m_shown->frame, m_shown->text, m_shown->title);
}

// Readies the window to cover every display and gives `requested` in its coordinates, with
// the covered area's origin; nothing when there is no display.
std::optional<OverlayController::Placement> OverlayController::place(const QRectF& requested)
{
    const QList<OverlayGeometry::DisplayArea> screens = m_displays();
    if (screens.isEmpty()) {
        qCDebug(lcOverlay) << "no screen to show the highlight on";
        return std::nullopt;
    }
    const QRectF covered = OverlayGeometry::coveredArea(screens);
    ensureViewMode();
    m_view->setGeometry(covered.toAlignedRect());
    const QRectF target =
        OverlayGeometry::toOverlay(NumericRange::boundedRect(requested), screens, covered);
    return Placement{target, covered.topLeft(),
                     OverlayGeometry::displayAround(target.center(), screens, covered)};
}

void OverlayController::show(const QRectF& frame, const QString& text, const QString& title)
{
    const std::optional<Placement> placement = place(frame);
    if (!placement)
        return;
    m_shown = Shown{frame, text, title};
    m_view->setContent(placement->target, text, title, placement->display);
    m_origin = placement->origin;
    if (m_present) {
        connect(m_view.get(), &OverlayView::pulsed, this, &OverlayController::presentPicture,
                Qt::UniqueConnection);
        m_view->startPulse();
        presentPicture();
        return;
    }
    if (m_drawElsewhere) {
        m_drawElsewhere(Drawing{m_view->highlightRect().translated(placement->origin),
                                m_view->cardRect().translated(placement->origin),
                                m_view->shownTitle(), m_view->shownText()});
        return;
    }
    m_view->show();
    m_view->raise();
    m_compositorWatch.start();
}

std::optional<OverlayController::Covered> OverlayController::coveredBy(const QRectF& frame,
                                                                       const QString& text)
{
    const std::optional<Placement> placement = place(frame);
    if (!placement)
        return std::nullopt;
    return Covered{m_view->ringAreaFor(placement->target).translated(placement->origin),
                   m_view->cardRectFor(placement->target, text, placement->display)
                       .translated(placement->origin)};
}

void OverlayController::drawElsewhere(std::function<void(const std::optional<Drawing>&)> draw,
                                      std::function<QList<OverlayGeometry::DisplayArea>()> displays)
{
    m_drawElsewhere = std::move(draw);
    m_displays = std::move(displays);
}

void OverlayController::drawAsPictures(
    std::function<void(const std::optional<Picture>&)> present,
    std::function<QList<OverlayGeometry::DisplayArea>()> displays)
{
    m_present = std::move(present);
    m_displays = std::move(displays);
}

void OverlayController::presentPicture()
{
    if (!m_view || !m_present)
        return;
    const QRectF area = m_view->drawnArea();
    const QPointF topLeft = QPointF(area.toAlignedRect().topLeft()) + m_origin;
    const QScreen* screen = QGuiApplication::screenAt(area.center().toPoint() + m_origin.toPoint());
    m_present(Picture{m_view->picture(area, screen ? screen->devicePixelRatio() : 1.0), topLeft});
}

void OverlayController::hide()
{
    if (m_present) {
        if (m_view)
            m_view->stopPulse();
        m_present(std::nullopt);
    }
    if (m_drawElsewhere)
        m_drawElsewhere(std::nullopt);
    m_compositorWatch.stop();
    if (m_view)
        m_view->hide();
}
