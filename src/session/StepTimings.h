// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

/// Where the time of the last step went: when each stage ended, in milliseconds from the
/// step's start. Stages that ran at the same time overlap; a stage that did not run stays at
/// zero.
struct StepTimings
{
    /// The accessibility tree read (on a worker, beside the capture and recognition).
    double read = 0;
    /// Finding the window and taking its pixels.
    double capture = 0;
    /// Text recognition, which starts once the pixels are taken.
    double recognise = 0;
    /// Whether the text of some blocks was remembered from an earlier read of the same pixels.
    bool recognisedBefore = false;
    /// The merged element list.
    double observed = 0;
    /// The request sent to the model server.
    double requested = 0;
    /// The ring on screen: as soon as the streamed answer named the element.
    double ringed = 0;
    /// The whole answer read, and the card's sentence complete.
    double answered = 0;
};
