// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PanelAwareOverlay.h"

#include "app/GuidePanel.h"
#include "overlay/OverlayController.h"

PanelAwareOverlay::PanelAwareOverlay(OverlayController& overlay,
                                     std::function<std::optional<QRectF>()> targetWindow)
    : m_overlay(overlay), m_targetWindow(std::move(targetWindow))
{
}

void PanelAwareOverlay::show(const QRectF& frame, const QString& text, const QString& title)
{
    if (m_panel && m_panel->isVisible()) {
        if (const std::optional<OverlayController::Covered> covered =
                m_overlay.coveredBy(frame, text))
            m_panel->keepClearOf(covered->ring, covered->card, m_targetWindow());
    }
    m_overlay.show(frame, text, title);
}

void PanelAwareOverlay::hide()
{
    m_overlay.hide();
}
