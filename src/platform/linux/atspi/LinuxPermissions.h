// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PermissionsPort.h"

#include <QObject>

/// On Linux there is nothing to grant for capture: it needs an X display with the Composite
/// extension, or on GNOME on Wayland Cuewell's shell extension running. Reading other
/// applications needs the session's accessibility switched on and its bus reachable. The
/// session bus is only ever asked without waiting: a hung bus leaves the last answer standing
/// and never freezes the panel.
class LinuxPermissions : public QObject, public PermissionsPort
{
    Q_OBJECT
public:
    /// `canCapture` tells whether capture works now; `advice` what to say about it.
    LinuxPermissions(std::function<bool()> canCapture, CaptureAdvice advice,
                     QObject* parent = nullptr);

    /// What to say about capture on an X11 desktop, on GNOME and on KDE Plasma on Wayland.
    static CaptureAdvice x11Advice();
    static CaptureAdvice gnomeShellAdvice();
    static CaptureAdvice kwinAdvice();

    CaptureAdvice captureAdvice() const override { return m_advice; }
    /// Tells the panel that the answer of `canCapture` has changed.
    void captureChanged();

    bool mayCapture() override;
    /// The last answer; asks the session bus again in the background.
    bool mayReadAccessibility() override;
    void onChanged(std::function<void()> changed) override;
    void requestAccessibility() override;
    bool openAccessibilitySettings() override;

    /// Whether a question to the session bus is still unanswered.
    bool isChecking() const { return m_pending > 0; }

private:
    void checkAccessibility();
    void answered();

    std::function<bool()> m_canCapture;
    CaptureAdvice m_advice;
    std::function<void()> m_changed;
    bool m_readable = false;
    int m_pending = 0;
    bool m_enabled = false;
    bool m_busFound = false;
};
