// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppDelegate.h"

#include "app/CommandLine.h"

#include "app/GuidePanel.h"
#include "app/HotKey.h"
#include "app/KWinPanelPlacer.h"
#include "app/PanelAwareOverlay.h"
#include "app/ShellPanelPlacer.h"
#include "core/Texts.h"
#include "model_client/HttpModelServer.h"
#include "model_client/OllamaHost.h"
#include "observe/ScreenCapture.h"
#include "overlay/OverlayController.h"
#include "overlay/OverlayGeometry.h"
#include "platform/linux/XdgAutostart.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/LinuxPermissions.h"
#include "platform/linux/gnome/GnomeShellConnection.h"
#include "platform/linux/kwin/LayerShellSurface.h"
#include "platform/linux/tesseract/TesseractTextRecognition.h"
#include "session/GuideModel.h"
#include "ui/ContentView.h"
#include "ui/LoginStartSwitch.h"
#include "ui/MainView.h"
#include "ui/TrayMenu.h"

#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

// LM Studio on its fixed port; Ollama where OLLAMA_HOST says, as long as that is this computer.
std::map<Provider, Result<QUrl>> modelServerAddresses()
{
    std::map<Provider, Result<QUrl>> addresses = HttpModelServer::onLoopback({});
    addresses.insert_or_assign(Provider::ollama,
                               OllamaHost::baseUrl(qEnvironmentVariable("OLLAMA_HOST")));
    return addresses;
}

} // namespace

AppDelegate::AppDelegate(DesktopBackend desktop)
    : m_desktop(std::move(desktop)),
      m_textRecognition(std::make_unique<TesseractTextRecognition>()),
      m_modelServer(
          std::make_unique<HttpModelServer>(modelServerAddresses(), HttpModelServer::Timeouts{})),
      m_overlay(std::make_unique<OverlayController>(m_desktop.compositorRunning)),
      m_panelAwareOverlay(
          std::make_unique<PanelAwareOverlay>(*m_overlay, [this] { return targetWindow(); })),
      m_settings(std::make_unique<QSettings>(QStringLiteral("Cuewell"), QStringLiteral("Cuewell"))),
      m_model(std::make_unique<GuideModel>(GuideServices{
          *m_desktop.accessibility, *m_desktop.windows, *m_desktop.pointer, *m_desktop.permissions,
          *m_textRecognition, *m_modelServer, *m_panelAwareOverlay, *m_settings})),
      m_hotKey(std::make_unique<HotKey>(*m_desktop.hotKey)),
      m_loginStart(std::make_unique<XdgAutostart>(
          QStringList{QCoreApplication::applicationFilePath(), CommandLine::inBackgroundOption}))
{
    if (m_desktop.shell)
        drawThroughShell();
    else if (m_desktop.kwin)
        drawOnLayerShell();
}

// On GNOME on Wayland no client may draw over other windows or place its own: the shell
// extension draws the highlight and places the panel.
void AppDelegate::drawThroughShell()
{
    GnomeShellConnection* shell = m_desktop.shell.get();
    WindowsPort* windows = m_desktop.windows.get();
    m_overlay->drawElsewhere(
        [shell](const std::optional<OverlayController::Drawing>& drawing) {
            if (drawing)
                shell->showHighlight(drawing->highlight, drawing->card, drawing->title,
                                     drawing->text);
            else
                shell->hideHighlight();
        },
        [windows] {
            // The shell's monitors, in the logical pixels element frames come in.
            QList<OverlayGeometry::DisplayArea> displays;
            for (const DisplayLayout& display : windows->displayLayouts())
                displays.append({display.available, display.framePixelsPerLogical});
            return displays;
        });
    m_panelPlacer = std::make_unique<ShellPanelPlacer>(*shell, Texts::appName);
}

// On KDE Plasma on Wayland no ordinary window may place itself or stay above the others; the
// highlight is shown on a layer-shell surface of Cuewell's own, which every click passes
// through.
void AppDelegate::drawOnLayerShell()
{
    m_kwinPanelPlacer = std::make_unique<KWinPanelPlacer>(*m_desktop.kwin);
    m_layerShell = std::make_unique<LayerShellSurface>();
    LayerShellSurface* surface = m_layerShell.get();
    WindowsPort* windows = m_desktop.windows.get();
    m_overlay->drawAsPictures(
        [surface](const std::optional<OverlayController::Picture>& picture) {
            if (!picture) {
                surface->hide();
                return;
            }
            const QPoint at = picture->topLeft.toPoint();
            const QScreen* screen = QGuiApplication::screenAt(at);
            if (!screen)
                screen = QGuiApplication::primaryScreen();
            if (screen)
                surface->show(picture->image, at - screen->geometry().topLeft(), screen->name());
        },
        [windows] {
            QList<OverlayGeometry::DisplayArea> displays;
            for (const DisplayLayout& display : windows->displayLayouts())
                displays.append({display.available, display.framePixelsPerLogical});
            return displays;
        });
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::launch(Start start)
{
    m_panel = std::make_unique<GuidePanel>(*m_model, *m_desktop.permissions, *m_desktop.windows);
    m_loginStartSwitch = new LoginStartSwitch(*m_loginStart, m_panel.get());
    m_loginStartSwitch->bind(m_panel->content()->mainView()->startAtLoginBox());
    m_panelAwareOverlay->setPanel(m_panel.get());
    if (m_panelPlacer)
        m_panel->placeThrough(m_panelPlacer->placer());
    else if (m_kwinPanelPlacer)
        m_panel->placeThrough(m_kwinPanelPlacer->placer());
    connect(m_panel.get(), &GuidePanel::openChanged, m_model.get(), &GuideModel::setPanelOpen);
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), m_panel.get());
    quit->setContext(Qt::ApplicationShortcut);
    connect(quit, &QShortcut::activated, qApp, &QApplication::quit);
    createTray();
    QPointer<AppDelegate> self(this);
    m_hotKey->registerHotKey([self] {
        // The press is handled after the event that carried it.
        QTimer::singleShot(0, self, [self] {
            if (self)
                self->openPanel();
        });
    });
    if (start == Start::openPanel)
        openPanel();
}

// Many desktops have no tray; Cuewell then lives on its hot key and launcher.
void AppDelegate::createTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_tray = std::make_unique<QSystemTrayIcon>(QApplication::windowIcon());
    m_tray->setToolTip(Texts::appName);
    m_tray->setContextMenu(makeTrayMenu([this] { openPanel(); }, *m_loginStartSwitch,
                                        [] { QApplication::quit(); }, m_panel.get()));
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    openPanel();
            });
    m_tray->show();
}

void AppDelegate::openPanel()
{
    if (!m_panel)
        return;
    m_model->refreshPermissions();
    m_loginStartSwitch->refresh();
    m_panel->showBeside(targetWindow());
    m_panel->raise();
    m_panel->activateWindow();
    if (m_panelPlacer)
        m_panelPlacer->activate();
    m_model->increaseFocusToken();
}

std::optional<QRectF> AppDelegate::targetWindow()
{
    const std::optional<RunningApp> target = m_model->targetApp();
    const Result<QList<WindowInfo>> windows = m_desktop.windows->onScreenWindows();
    if (!target || !windows)
        return std::nullopt;
    QList<OverlayGeometry::DisplayArea> displays;
    for (const DisplayLayout& display : m_desktop.windows->displayLayouts())
        displays.append({display.available, display.framePixelsPerLogical});
    // The window a step would observe; frames may be device pixels, the panel is placed in
    // logical ones.
    const std::optional<WindowInfo> window =
        ScreenCapture::chooseWindow(windows.value(), target->pid, std::nullopt);
    if (!window)
        return std::nullopt;
    return QRectF(OverlayGeometry::toLogical(window->frame.topLeft(), displays),
                  OverlayGeometry::toLogical(window->frame.bottomRight(), displays));
}
