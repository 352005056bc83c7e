#pragma once

#include <QPointer>
#include <QString>

class GuideModel;

/// The bookkeeping of one running step, written once. The model is busy from the scope's start
/// to its end, whichever way the step ends; `end` gives the step its last status text; and
/// after every suspension the step asks `modelGone` before it touches the model again (the
/// model may have been destroyed while the step waited).
class StepScope
{
public:
    explicit StepScope(GuideModel& model);
    ~StepScope();
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;

    bool modelGone() const { return m_model.isNull(); }

    /// Shows `status` as the step's outcome.
    void end(const QString& status);

private:
    QPointer<GuideModel> m_model;
};
