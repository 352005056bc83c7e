// Asking the model server which element to use next, and applying its answer.
#include "core/Texts.h"
#include "model_client/ImageEncoding.h"
#include "model_client/LLMClient.h"
#include "overlay/Overlay.h"
#include "session/GuideModel.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

#include <algorithm>

QCoro::Task<> GuideModel::suggest(const QImage& image, const QRectF& window)
{
    QPointer<GuideModel> self(this);
    if (m_serverState != ServerState::running || m_models.isEmpty()) {
        co_await refreshModels();
        if (!self)
            co_return;
    }
    if (m_serverState != ServerState::running) {
        setStatus(Texts::noServer);
        co_return;
    }
    if (m_selectedModel.isEmpty()) {
        setStatus(m_provider == Provider::ollama ? Texts::ollamaNoModel : Texts::lmStudioNoModel);
        co_return;
    }
    setStatus(Texts::asking(m_selectedModel));

    std::optional<QString> jpeg;
    if (LLMClient::isVision(m_selectedModel)) {
        QFuture<std::optional<QString>> encoding = QtConcurrent::run(
            [image] { return ImageEncoding::jpegBase64(image, LLMClient::maxJpegWidth); });
        jpeg = co_await encoding;
        if (!self)
            co_return;
    }
    // The request uses the provider and model chosen at this moment, whatever happens later.
    const Provider provider = m_provider;
    const QString model = m_selectedModel;
    const QString user = LLMClient::userPrompt(m_activeGoal, m_steps, m_elements, window);
    const Result<QString> reply =
        co_await m_services.modelServer.ask(provider, model, LLMClient::systemPrompt, user, jpeg);
    if (!self)
        co_return;
    if (!reply) {
        setServerState(ServerState::down);
        setStatus(Texts::requestFailed(reply.failure().description));
        co_return;
    }

    const std::optional<ModelReply> parsed = LLMClient::parse(reply.value(), m_elements);
    if (!parsed) {
        setStatus(Texts::replyNotUsable);
        co_return;
    }
    if (parsed->done) {
        m_services.overlay.hide();
        setStatus(parsed->explanation.isEmpty() ? Texts::goalComplete : parsed->explanation);
        co_return;
    }
    const auto chosen = std::find_if(m_elements.begin(), m_elements.end(),
                                     [&](const GuideElement& e) { return e.id == parsed->id; });
    if (chosen == m_elements.end()) {
        setStatus(Texts::noListedElement);
        co_return;
    }
    const GuideElement element = *chosen;
    setStatus(Texts::stepReady(m_steps.size() + 1));
    record(element, parsed->explanation, false);
}
