// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Texts.h"
#include "platform/PermissionsPort.h"

class FakePermissions : public PermissionsPort
{
public:
    bool capture = true;
    bool accessibility = true;
    int requests = 0;
    int settingsOpened = 0;

    CaptureAdvice captureAdvice() const override
    {
        // What an X11 desktop says, so pictures of the panel show the real words.
        return {Texts::windowCapture(), Texts::windowCaptureText(), Texts::noCaptureSettings(),
                Texts::captureUnavailable()};
    }
    bool mayCapture() override { return capture; }
    bool mayReadAccessibility() override { return accessibility; }
    void onChanged(std::function<void()> changed) override { this->changed = std::move(changed); }
    std::function<void()> changed;
    void requestAccessibility() override { ++requests; }
    bool canOpenSettings = true;

    bool openAccessibilitySettings() override { return ++settingsOpened, canOpenSettings; }
};
