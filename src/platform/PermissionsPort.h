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
    /// Opens the desktop's settings for each; false when the desktop has none to open.
    virtual bool openCaptureSettings() = 0;
    virtual bool openAccessibilitySettings() = 0;
};
