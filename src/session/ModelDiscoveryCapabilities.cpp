// SPDX-License-Identifier: GPL-3.0-or-later
// What each model can do, the context it runs with, and loading it ahead of the first step.
#include "model_client/LLMClient.h"
#include "model_client/ModelServerPort.h"
#include "model_client/PromptBudget.h"
#include "session/ModelDiscovery.h"
#include "session/SessionLog.h"

#include <QPointer>

#include <algorithm>

namespace {

// The context LM Studio loads a model with unless told otherwise. Used until it reports the
// context of the loaded model: assuming more would let it cut the prompt unnoticed.
constexpr qint64 lmStudioDefaultContext = 4096;

} // namespace

QCoro::Task<ModelCapabilities> ModelDiscovery::capabilities(const QString& model)
{
    const auto cached = m_capabilities.constFind(model);
    if (cached != m_capabilities.cend() && cached->loaded != false)
        co_return *cached;
    const Provider asked = m_provider;
    const QString name = model; // the caller's text may change while the server is asked
    QPointer<ModelDiscovery> self(this);
    const Result<ModelCapabilities> answer = co_await m_server.capabilities(asked, name);
    if (!self || m_provider != asked)
        co_return ModelCapabilities{};
    if (!answer)
        qCDebug(lcSession) << "capabilities of" << name
                           << "unknown:" << answer.failure().description;
    const ModelCapabilities capabilities = answer ? answer.value() : ModelCapabilities{};
    m_capabilities.insert(name, capabilities);
    co_return capabilities;
}

bool ModelDiscovery::takesImages(const QString& model) const
{
    const std::optional<bool> said = m_capabilities.value(model).vision;
    return said.value_or(LLMClient::isVision(model));
}

bool ModelDiscovery::takesReplySchema(const QString& model) const
{
    return m_capabilities.value(model).replySchema.value_or(false);
}

qint64 ModelDiscovery::contextLimit(const QString& model) const
{
    const ModelCapabilities known = m_capabilities.value(model);
    const qint64 made = known.contextLength.value_or(PromptBudget::largestContext);
    if (m_provider == Provider::ollama)
        return std::min(made, PromptBudget::largestContext);
    // LM Studio runs a model with the context it was loaded with; requests cannot change it.
    return known.loadedContextLength.value_or(std::min(made, lmStudioDefaultContext));
}

qint64 ModelDiscovery::contextFloor(const QString& model) const
{
    return std::max(PromptBudget::smallestContext, m_contextAsked.value(model));
}

void ModelDiscovery::noteContextAsked(const QString& model, qint64 context)
{
    m_contextAsked.insert(model, std::max(context, m_contextAsked.value(model)));
}

void ModelDiscovery::warmUpIfWanted()
{
    if (!m_warmUpWanted || m_serverState != ServerState::running || m_selectedModel.isEmpty())
        return;
    m_warmUpWanted = false;
    warmUp(m_selectedModel);
}

// Ollama keeps a model it was asked to load for as long as the request says; LM Studio is asked
// only for a model it says is not loaded, as loading a loaded one would load a second copy.
// The context is the one the first step will ask for, so that step does not reload the model.
QCoro::Task<> ModelDiscovery::warmUp(const QString& model)
{
    const QString name = model; // copied before the first suspension: the caller's goes away
    const Provider provider = m_provider;
    QPointer<ModelDiscovery> self(this);
    const ModelCapabilities known = co_await capabilities(name);
    if (!self || m_provider != provider)
        co_return;
    if (provider == Provider::lmStudio && known.loaded != false)
        co_return;
    const qint64 made = known.contextLength.value_or(PromptBudget::largestContext);
    m_server.warmUp(provider, name,
                    std::min({contextFloor(name), made, PromptBudget::largestContext}));
}
