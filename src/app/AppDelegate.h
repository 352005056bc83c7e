// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/DesktopBackend.h"

#include <QObject>
#include <QRectF>

#include <memory>
#include <optional>

class GuideModel;
class GuidePanel;
class HttpModelServer;
class HotKey;
class KWinPanelPlacer;
class LayerShellSurface;
class LoginStartSwitch;
class OverlayController;
class PanelAwareOverlay;
class QSettings;
class QSystemTrayIcon;
class ShellPanelPlacer;
class TesseractTextRecognition;
class XdgAutostart;

/// Builds the whole program in one place on the desktop's backend, and brings the panel up.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    explicit AppDelegate(DesktopBackend desktop);
    ~AppDelegate() override;

    /// How Cuewell comes up: as the user started it, or in the background, as at login.
    enum class Start
    {
        openPanel,
        inBackground,
    };

    /// Creates the panel, the tray item (where the desktop has a tray) and the hot key, and
    /// opens the panel unless started in the background.
    void launch(Start start);

    /// Refreshes the permissions, raises and activates the panel, and puts the cursor in the
    /// goal field.
    void openPanel();

    GuidePanel* panel() const { return m_panel.get(); }

private:
    void createTray();
    /// Where the target application's window is, in global logical pixels.
    std::optional<QRectF> targetWindow();

    void drawThroughShell();
    void drawOnLayerShell();

    DesktopBackend m_desktop;
    std::unique_ptr<TesseractTextRecognition> m_textRecognition;
    std::unique_ptr<HttpModelServer> m_modelServer;
    std::unique_ptr<OverlayController> m_overlay;
    std::unique_ptr<PanelAwareOverlay> m_panelAwareOverlay;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<GuideModel> m_model;
    std::unique_ptr<GuidePanel> m_panel;
    std::unique_ptr<HotKey> m_hotKey;
    std::unique_ptr<ShellPanelPlacer> m_panelPlacer;
    std::unique_ptr<LayerShellSurface> m_layerShell;
    std::unique_ptr<KWinPanelPlacer> m_kwinPanelPlacer;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<XdgAutostart> m_loginStart;
    LoginStartSwitch* m_loginStartSwitch = nullptr;
};
