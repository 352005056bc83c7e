// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/OverlayPort.h"

#include <QPointer>
#include <QRectF>

#include <functional>
#include <optional>

class GuidePanel;
class OverlayController;

/// The overlay as the program uses it: before a ring is shown, the panel moves out of the way
/// of the ring and its card, so a click at the ring always reaches the application.
class PanelAwareOverlay : public OverlayPort
{
public:
    /// `targetWindow` tells where the window the user works in is (global logical pixels).
    PanelAwareOverlay(OverlayController& overlay,
                      std::function<std::optional<QRectF>()> targetWindow);

    void setPanel(GuidePanel* panel) { m_panel = panel; }

    void show(const QRectF& frame, const QString& text, const QString& title) override;
    void hide() override;

private:
    OverlayController& m_overlay;
    std::function<std::optional<QRectF>()> m_targetWindow;
    QPointer<GuidePanel> m_panel;
};
