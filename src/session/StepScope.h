// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Cancellation.h"

#include <QPointer>
#include <QString>

#include <memory>

class GuideModel;

/// The bookkeeping of one running step, written once. The model is busy from the scope's start
/// to its end, whichever way the step ends; `end` gives the step its last status text. A step
/// is superseded when the model goes, or when Stop or a new goal ends it while it waits: after
/// every suspension the step asks `superseded` before it touches the model again, and a
/// superseded step changes nothing, its late answers included.
class StepScope
{
public:
    explicit StepScope(GuideModel& model);
    ~StepScope();
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;

    bool superseded() const;

    /// Ends what the step waits for when it is superseded (its request to the model server).
    const Cancellation& cancellation() const { return *m_cancellation; }

    /// Shows `status` as the step's outcome, unless the step was superseded.
    void end(const QString& status);

private:
    QPointer<GuideModel> m_model;
    qint64 m_generation;
    std::shared_ptr<Cancellation> m_cancellation;
};
