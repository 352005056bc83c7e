#pragma once

/// The two capabilities Cuewell needs from the desktop, and the ways to obtain them.
class PermissionsPort
{
public:
    virtual ~PermissionsPort() = default;

    /// Whether other applications' windows can be captured. Never prompts.
    virtual bool mayCapture() = 0;
    /// Whether other applications' accessibility trees can be read. Never prompts.
    virtual bool mayReadAccessibility() = 0;

    virtual void requestCapture() = 0;
    virtual void requestAccessibility() = 0;
    virtual void openCaptureSettings() = 0;
    virtual void openAccessibilitySettings() = 0;
};
