#pragma once

#include "platform/PermissionsPort.h"

class X11Windows;

/// On Linux, capture needs an X display with the Composite extension (there is nothing to
/// grant), and reading other applications needs the session's accessibility switched on.
class LinuxPermissions : public PermissionsPort
{
public:
    explicit LinuxPermissions(X11Windows& windows);

    bool mayCapture() override;
    bool mayReadAccessibility() override;
    void requestCapture() override;
    void requestAccessibility() override;
    bool openCaptureSettings() override;
    bool openAccessibilitySettings() override;

private:
    X11Windows& m_windows;
};
