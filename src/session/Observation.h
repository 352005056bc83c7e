// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/CapturedWindow.h"
#include "core/GuideElement.h"

#include <QList>

/// What one step saw of the target application: the numbered element list and the capture it
/// was recognised on.
struct Observation
{
    QList<GuideElement> elements;
    CapturedWindow window;
};
