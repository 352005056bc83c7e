#pragma once

#include "platform/PermissionsPort.h"

#include <QObject>

class X11Windows;

/// On Linux, capture needs an X display with the Composite extension (there is nothing to
/// grant), and reading other applications needs the session's accessibility switched on and
/// its bus reachable. The session bus is only ever asked without waiting: a hung bus leaves the
/// last answer standing and never freezes the panel.
class LinuxPermissions : public QObject, public PermissionsPort
{
    Q_OBJECT
public:
    explicit LinuxPermissions(X11Windows& windows, QObject* parent = nullptr);

    bool mayCapture() override;
    /// The last answer; asks the session bus again in the background.
    bool mayReadAccessibility() override;
    void onChanged(std::function<void()> changed) override;
    void requestCapture() override;
    void requestAccessibility() override;
    bool openCaptureSettings() override;
    bool openAccessibilitySettings() override;

    /// Whether a question to the session bus is still unanswered.
    bool isChecking() const { return m_pending > 0; }

private:
    void checkAccessibility();
    void answered();

    X11Windows& m_windows;
    std::function<void()> m_changed;
    bool m_readable = false;
    int m_pending = 0;
    bool m_enabled = false;
    bool m_busFound = false;
};
