// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/GuideElement.h"

#include <QString>

#include <optional>

/// What a step's question to the model came to, for the session to apply.
struct Advice
{
    /// The element to ring next, when the model named one of those it was shown.
    std::optional<GuideElement> element;
    /// The sentence for the element's card, bounded.
    QString explanation;
    /// The status when no element is ringed: the goal reached, or why there is no answer.
    QString outcome;
    /// What was left out of the request or cut by the server, said after the status whatever
    /// the answer was; empty, or starting with a space.
    QString note;
    /// The model says the goal is reached: the ring comes down.
    bool done = false;
    /// The request failed: the server counts as down until it is listed again.
    bool serverDown = false;
    /// The model answered with an element that was not listed: what it wants may be out of
    /// view.
    bool unlisted = false;
};
