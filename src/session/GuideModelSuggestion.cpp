// Asking the model server which element to use next, and applying its answer.
#include "core/Texts.h"
#include "model_client/ImageEncoding.h"
#include "model_client/LLMClient.h"
#include "model_client/ModelServerPort.h"
#include "platform/OverlayPort.h"
#include "session/GuideModel.h"
#include "session/Observation.h"
#include "session/StepScope.h"

#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

#include <algorithm>

QCoro::Task<> GuideModel::suggest(const Observation& observation, StepScope& step)
{
    if (serverState() != ServerState::running || models().isEmpty()) {
        co_await m_discovery.refresh();
        if (step.modelGone())
            co_return;
    }
    if (serverState() != ServerState::running) {
        const QString refusal = m_discovery.refusal();
        co_return step.end(refusal.isEmpty() ? Texts::noServer : refusal);
    }
    if (selectedModel().isEmpty())
        co_return step.end(provider() == Provider::ollama ? Texts::ollamaNoModel
                                                          : Texts::lmStudioNoModel);
    setStatus(Texts::asking(selectedModel()));

    std::optional<QString> jpeg;
    if (LLMClient::isVision(selectedModel())) {
        const QImage image = observation.window.image;
        QFuture<std::optional<QString>> encoding = QtConcurrent::run(&m_workers, [image] {
            return ImageEncoding::jpegBase64(image, LLMClient::maxJpegWidth);
        });
        jpeg = co_await encoding;
        if (step.modelGone())
            co_return;
    }
    // The request uses the provider and model chosen at this moment, whatever happens later.
    const Provider chosenProvider = provider();
    const QString model = selectedModel();
    const QString user =
        LLMClient::userPrompt(m_activeGoal, m_steps, m_elements, observation.window.frame);
    const Result<QString> reply = co_await m_services.modelServer.ask(
        chosenProvider, model, LLMClient::systemPrompt, user, jpeg);
    if (step.modelGone())
        co_return;
    if (!reply) {
        m_discovery.markDown();
        co_return step.end(Texts::requestFailed(reply.failure().description));
    }

    const std::optional<ModelReply> parsed = LLMClient::parse(reply.value(), m_elements);
    if (!parsed)
        co_return step.end(Texts::replyNotUsable);
    if (parsed->done) {
        hideRing();
        co_return step.end(parsed->explanation.isEmpty() ? Texts::goalComplete
                                                         : parsed->explanation);
    }
    const auto chosen = std::find_if(m_elements.begin(), m_elements.end(),
                                     [&](const GuideElement& e) { return e.id == parsed->id; });
    if (chosen == m_elements.end())
        co_return step.end(Texts::noListedElement);
    const GuideElement element = *chosen;
    step.end(Texts::stepReady(m_steps.size() + 1));
    record(element, parsed->explanation, false);
}
