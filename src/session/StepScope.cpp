#include "session/StepScope.h"

#include "session/GuideModel.h"

StepScope::StepScope(GuideModel& model) : m_model(&model)
{
    model.setBusy(true);
}

StepScope::~StepScope()
{
    if (m_model)
        m_model->setBusy(false);
}

void StepScope::end(const QString& status)
{
    if (m_model)
        m_model->setStatus(status);
}
