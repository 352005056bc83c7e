#pragma once

#include <QObject>
#include <QRectF>

#include <memory>
#include <optional>

class AtspiAccessibility;
class GuideModel;
class GuidePanel;
class HttpModelServer;
class HotKey;
class LinuxPermissions;
class OverlayController;
class PanelAwareOverlay;
class QSettings;
class QSystemTrayIcon;
class TesseractTextRecognition;
class X11HotKey;
class X11Pointer;
class X11Windows;

/// Builds the whole program in one place with the Linux backends, and brings the panel up.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    AppDelegate();
    ~AppDelegate() override;

    /// Creates the panel, the tray item (where the desktop has a tray) and the hot key, then
    /// opens the panel once.
    void launch();

    /// Refreshes the permissions, raises and activates the panel, and puts the cursor in the
    /// goal field.
    void openPanel();

    GuidePanel* panel() const { return m_panel.get(); }

private:
    void createTray();
    /// Where the target application's window is, in global logical pixels.
    std::optional<QRectF> targetWindow();

    std::unique_ptr<X11Windows> m_windows;
    std::unique_ptr<X11Pointer> m_pointer;
    std::unique_ptr<AtspiAccessibility> m_accessibility;
    std::unique_ptr<LinuxPermissions> m_permissions;
    std::unique_ptr<TesseractTextRecognition> m_textRecognition;
    std::unique_ptr<HttpModelServer> m_modelServer;
    std::unique_ptr<OverlayController> m_overlay;
    std::unique_ptr<PanelAwareOverlay> m_panelAwareOverlay;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<GuideModel> m_model;
    std::unique_ptr<GuidePanel> m_panel;
    std::unique_ptr<X11HotKey> m_hotKeyPort;
    std::unique_ptr<HotKey> m_hotKey;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};
