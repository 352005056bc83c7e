// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/CapturedWindow.h"
#include "core/GuideElement.h"
#include "core/ScrollHint.h"
#include "session/StepTimings.h"

#include <QList>

/// What one step saw of the target application: the numbered element list, the capture it
/// was recognised on, and when each stage of the observation ended.
struct Observation
{
    QList<GuideElement> elements;
    CapturedWindow window;
    StepTimings timings;
    /// The title of the window the elements were read from; empty when it has none.
    QString windowTitle;
    /// A scrolled area holding controls out of view: where to look when none listed will do.
    std::optional<ScrollHint> scrollHint;
};
