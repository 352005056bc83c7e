// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/StepScope.h"

#include "session/GuideModel.h"

StepScope::StepScope(GuideModel& model)
    : m_model(&model), m_generation(++model.m_stepGeneration),
      m_cancellation(std::make_shared<Cancellation>())
{
    model.m_stepCancellation = m_cancellation;
    model.setBusy(true);
}

StepScope::~StepScope()
{
    if (superseded())
        return;
    m_model->setWaitingForModel(false);
    m_model->setBusy(false);
    m_model->m_stepCancellation.reset();
}

bool StepScope::superseded() const
{
    return m_model.isNull() || m_model->m_stepGeneration != m_generation;
}

void StepScope::end(const QString& status)
{
    if (!superseded())
        m_model->setStatus(status);
}
