#pragma once

#include <QtGlobal>

/// Where the time of the last step went, in milliseconds from the step's start. Stages that
/// ran at the same time overlap; a stage that did not run stays at zero.
struct StepTimings
{
    /// The accessibility tree read (on a worker, beside the capture and recognition).
    double read = 0;
    /// Finding the window and taking its pixels.
    double capture = 0;
    /// Text recognition, from the capture's end.
    double recognise = 0;
    /// Whether the text came from an earlier recognition of the same pixels.
    bool recognisedBefore = false;
    /// From the step's start until the element list was merged.
    double observed = 0;
    /// From the step's start until the request went to the model server.
    double requested = 0;
};
