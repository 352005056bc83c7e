// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
        return {QStringLiteral("Capture"), QStringLiteral("capture explained"),
                QStringLiteral("capture remedy"), QStringLiteral("capture missing")};
    }
    bool mayCapture() override { return capture; }
    bool mayReadAccessibility() override { return accessibility; }
    void onChanged(std::function<void()> changed) override { this->changed = std::move(changed); }
    std::function<void()> changed;
    void requestCapture() override { ++requests; }
    void requestAccessibility() override { ++requests; }
    bool canOpenSettings = true;

    bool openCaptureSettings() override { return ++settingsOpened, canOpenSettings; }
    bool openAccessibilitySettings() override { return ++settingsOpened, canOpenSettings; }
};
