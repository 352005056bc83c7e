// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/StepAdvisor.h"

#include "core/DisplayText.h"
#include "core/OutsideText.h"
#include "core/Texts.h"
#include "model_client/ImageEncoding.h"
#include "model_client/LLMClient.h"
#include "model_client/ModelServerPort.h"
#include "model_client/PromptBudget.h"
#include "session/ModelDiscovery.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

#include <algorithm>

StepAdvisor::StepAdvisor(ModelServerPort& server, ModelDiscovery& discovery, QThreadPool& workers,
                         QObject* parent)
    : QObject(parent), m_server(server), m_discovery(discovery), m_workers(workers)
{
}

QCoro::Task<Result<StepAdvisor::Prepared>> StepAdvisor::prepare(const Question& question)
{
    QPointer<StepAdvisor> self(this);
    const Failure gone(Texts::stopped());
    const QString model = question.model;
    co_await m_discovery.capabilities(model);
    if (!self)
        co_return gone;
    std::optional<QString> jpeg;
    if (m_discovery.takesImages(model)) {
        jpeg = co_await jpegOf(question.window, LLMClient::imageWidthFor(model));
        if (!self)
            co_return gone;
    }
    const qint64 limit = m_discovery.contextLimit(model);
    const qint64 floor = m_discovery.contextFloor(model);
    PromptBudget::Request asked{LLMClient::systemPrompt(), question.goal,         question.steps,
                                question.elements,         question.window.frame, std::nullopt};
    if (jpeg)
        asked.image = ImageEncoding::scaledSize(question.window.image.size(),
                                                LLMClient::imageWidthFor(model));
    PromptBudget::Plan plan = PromptBudget::plan(asked, floor, limit);
    QString note;
    if (!plan.fits && jpeg) {
        // The element list alone can still guide the model; the picture is what gives way.
        jpeg.reset();
        asked.image.reset();
        plan = PromptBudget::plan(asked, floor, limit);
        note = Texts::screenshotLeftOut();
    }
    if (!plan.fits)
        co_return Failure(Texts::promptTooLong(limit));
    if (plan.stepsLeftOut > 0)
        note += Texts::stepsLeftOut(plan.stepsLeftOut);
    if (plan.elementsLeftOut > 0)
        note += Texts::elementsLeftOut(plan.sent.size(), plan.sent.size() + plan.elementsLeftOut);
    // Only Ollama takes a context with the request; LM Studio's is the one the model was loaded
    // with, which the limit already is.
    const bool ollama = question.provider == Provider::ollama;
    if (ollama)
        m_discovery.noteContextAsked(model, plan.context);
    co_return Prepared{{question.provider, model, plan.system, plan.user, jpeg,
                        ollama ? std::optional(plan.context) : std::nullopt,
                        m_discovery.takesReplySchema(model)},
                       plan.sent,
                       plan.context,
                       note};
}

QCoro::Task<std::optional<QString>> StepAdvisor::jpegOf(const CapturedWindow& window, int width)
{
    const QImage image = window.image;
    QFuture<std::optional<QString>> encoding = QtConcurrent::run(
        &m_workers, [image, width] { return ImageEncoding::jpegBase64(image, width); });
    co_return co_await encoding;
}

QCoro::Task<Advice> StepAdvisor::ask(const Prepared& prepared, const Cancellation& cancellation,
                                     const PreviewSeen& previewSeen)
{
    QPointer<StepAdvisor> self(this);
    // Only the reply's start is read at each piece, so this stays cheap however long it gets.
    const ModelServerPort::TextSoFar textSoFar = [&](const QString& text) {
        if (!previewSeen)
            return;
        const std::optional<ModelReply> preview = LLMClient::preview(text, prepared.sent);
        if (!preview || preview->done)
            return;
        const auto named = std::find_if(prepared.sent.begin(), prepared.sent.end(),
                                        [&](const GuideElement& e) { return e.id == preview->id; });
        if (named != prepared.sent.end())
            previewSeen(
                {*named, OutsideText::tamed(preview->explanation, DisplayText::maxGraphemes)});
    };
    const Result<ChatAnswer> reply =
        co_await m_server.ask(prepared.request, cancellation, textSoFar);
    if (!self)
        co_return Advice{};
    if (!reply) {
        Advice failed;
        failed.outcome = Texts::requestFailed(reply.failure().description);
        failed.serverDown = true;
        co_return failed;
    }
    // A reply may be long; it is read off the main thread, so the panel never waits for it.
    const QString text = reply.value().text;
    const QList<GuideElement> sent = prepared.sent;
    QFuture<Advice> reading =
        QtConcurrent::run(&m_workers, [text, sent] { return read(text, sent); });
    Advice advice = co_await reading;
    if (!self)
        co_return advice;
    advice.note = prepared.note;
    const std::optional<qint64> tokensRead = reply.value().promptTokens;
    if (tokensRead && PromptBudget::wasCut(*tokensRead, prepared.context))
        advice.note += Texts::promptCut(*tokensRead);
    co_return advice;
}

Advice StepAdvisor::read(const QString& reply, const QList<GuideElement>& sent)
{
    Advice advice;
    const std::optional<ModelReply> parsed = LLMClient::parse(reply, sent);
    if (!parsed) {
        advice.outcome = Texts::replyNotUsable();
        return advice;
    }
    const QString explanation = OutsideText::tamed(parsed->explanation, DisplayText::maxGraphemes);
    if (parsed->done) {
        advice.done = true;
        advice.outcome = explanation.isEmpty() ? Texts::goalComplete() : explanation;
        return advice;
    }
    const auto chosen = std::find_if(sent.begin(), sent.end(),
                                     [&](const GuideElement& e) { return e.id == parsed->id; });
    if (chosen == sent.end()) {
        advice.outcome = Texts::noListedElement();
        advice.unlisted = true;
        return advice;
    }
    advice.element = *chosen;
    advice.explanation = explanation;
    return advice;
}
