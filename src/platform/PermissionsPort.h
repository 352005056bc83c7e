// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

/// The two capabilities Cuewell needs from the desktop, and the ways to obtain them. Capture is
/// a property of the desktop (its display, or a shell extension), never a grant: it is only
/// explained. Reading other applications can be switched on. Answers come at once from what is
/// known, never prompting and never waiting on the desktop: a check that takes time runs in the
/// background, and `onChanged` tells when an answer changes.
class PermissionsPort
{
public:
    /// What a person is told about capture on this desktop.
    struct CaptureAdvice
    {
        /// What is needed, as a heading.
        QString title;
        /// What capture is for and what it takes here.
        QString explanation;
        /// What to do when it is missing and no settings can be opened for it.
        QString remedy;
        /// The status shown while it is missing.
        QString missing;
    };

    virtual ~PermissionsPort() = default;

    virtual CaptureAdvice captureAdvice() const = 0;

    /// Whether other applications' windows can be captured.
    virtual bool mayCapture() = 0;
    /// Whether other applications' accessibility trees can be read.
    virtual bool mayReadAccessibility() = 0;
    /// Calls `changed` on the main thread whenever an answer above changes.
    virtual void onChanged(std::function<void()> changed) = 0;

    /// Asks the desktop to let Cuewell read other applications.
    virtual void requestAccessibility() = 0;
    /// Opens the desktop's accessibility settings; false when the desktop has none to open.
    virtual bool openAccessibilitySettings() = 0;
};
