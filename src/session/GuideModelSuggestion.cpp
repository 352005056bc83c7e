// SPDX-License-Identifier: GPL-3.0-or-later
// Asking the model server which element to use next, and applying its answer.
#include "core/DisplayText.h"
#include "core/OutsideText.h"
#include "core/Texts.h"
#include "model_client/ImageEncoding.h"
#include "model_client/LLMClient.h"
#include "model_client/ModelServerPort.h"
#include "model_client/PromptBudget.h"
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
        if (step.superseded())
            co_return;
    }
    if (serverState() != ServerState::running) {
        const QString refusal = m_discovery.refusal();
        co_return step.end(refusal.isEmpty() ? Texts::noServer : refusal);
    }
    if (selectedModel().isEmpty())
        co_return step.end(provider() == Provider::ollama ? Texts::ollamaNoModel
                                                          : Texts::lmStudioNoModel);
    // The request uses the provider and model chosen at this moment, whatever happens later.
    const Provider chosenProvider = provider();
    const QString model = selectedModel();
    setStatus(Texts::asking(model));
    co_await m_discovery.capabilities(model);
    if (step.superseded())
        co_return;
    std::optional<QString> jpeg;
    if (m_discovery.takesImages(model)) {
        jpeg = co_await imageFor(observation, step);
        if (step.superseded())
            co_return;
    }

    const qint64 limit = m_discovery.contextLimit(model);
    PromptBudget::Request asked{LLMClient::systemPrompt,  m_activeGoal, m_steps, m_elements,
                                observation.window.frame, std::nullopt};
    if (jpeg)
        asked.image =
            ImageEncoding::scaledSize(observation.window.image.size(), LLMClient::maxJpegWidth);
    PromptBudget::Plan plan = PromptBudget::plan(asked, m_discovery.contextFloor(model), limit);
    QString note;
    if (!plan.fits && jpeg) {
        // The element list alone can still guide the model; the picture is what gives way.
        jpeg.reset();
        asked.image.reset();
        plan = PromptBudget::plan(asked, m_discovery.contextFloor(model), limit);
        note = Texts::screenshotLeftOut;
    }
    if (!plan.fits)
        co_return step.end(Texts::promptTooLong(limit));
    if (plan.stepsLeftOut > 0)
        note += Texts::stepsLeftOut(plan.stepsLeftOut);
    if (plan.sent.size() < m_elements.size())
        note += Texts::elementsLeftOut(plan.sent.size(), m_elements.size());
    if (!note.isEmpty())
        setStatus(Texts::asking(model) + note);
    // Only Ollama takes a context with the request; LM Studio's is the one the model was loaded
    // with, which the limit already is.
    const bool ollama = chosenProvider == Provider::ollama;
    if (ollama)
        m_discovery.noteContextAsked(model, plan.context);
    const ChatRequest request{
        chosenProvider, model, LLMClient::systemPrompt,
        plan.user,      jpeg,  ollama ? std::optional(plan.context) : std::nullopt};
    m_timings.requested = m_stepClock.nsecsElapsed() / 1e6;
    setWaitingForModel(true);
    const Result<ChatAnswer> reply =
        co_await m_services.modelServer.ask(request, step.cancellation());
    if (step.superseded())
        co_return;
    setWaitingForModel(false);
    if (!reply) {
        m_discovery.markDown();
        co_return step.end(Texts::requestFailed(reply.failure().description));
    }
    const std::optional<qint64> read = reply.value().promptTokens;
    if (read && PromptBudget::wasCut(*read, plan.context))
        note += Texts::promptCut(*read);
    // Stopping while the server worked empties the list: the reply then names nothing listed.
    QList<GuideElement> listed;
    for (const GuideElement& element : m_elements) {
        if (plan.sent.contains(element))
            listed.append(element);
    }
    // A reply may be long; it is read off the main thread, so the panel never waits for it.
    const QString text = reply.value().text;
    QFuture<std::optional<ModelReply>> parsing =
        QtConcurrent::run(&m_workers, [text, listed] { return LLMClient::parse(text, listed); });
    const std::optional<ModelReply> parsed = co_await parsing;
    if (step.superseded())
        co_return;
    applyReply(parsed, listed, note, step);
}

QCoro::Task<std::optional<QString>> GuideModel::imageFor(const Observation& observation,
                                                         StepScope& step)
{
    const QImage image = observation.window.image;
    QFuture<std::optional<QString>> encoding = QtConcurrent::run(
        &m_workers, [image] { return ImageEncoding::jpegBase64(image, LLMClient::maxJpegWidth); });
    std::optional<QString> jpeg = co_await encoding;
    if (step.superseded())
        co_return std::nullopt;
    co_return jpeg;
}

// `note` is added to whatever the step ends with: what was left out of the prompt or cut by the
// server is said whatever the model answered.
void GuideModel::applyReply(const std::optional<ModelReply>& parsed,
                            const QList<GuideElement>& sent, const QString& note, StepScope& step)
{
    if (!parsed)
        return step.end(Texts::replyNotUsable + note);
    if (parsed->done) {
        hideRing();
        return step.end((parsed->explanation.isEmpty()
                             ? Texts::goalComplete
                             : OutsideText::tamed(parsed->explanation, DisplayText::maxGraphemes)) +
                        note);
    }
    const auto chosen = std::find_if(sent.begin(), sent.end(),
                                     [&](const GuideElement& e) { return e.id == parsed->id; });
    if (chosen == sent.end())
        return step.end(Texts::noListedElement + note);
    const GuideElement element = *chosen;
    step.end(Texts::stepReady(m_steps.size() + 1) + note);
    record(element, parsed->explanation, false);
}
