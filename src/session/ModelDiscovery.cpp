// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ModelDiscovery.h"

#include "model_client/LLMClient.h"
#include "model_client/ModelServerPort.h"
#include "session/SessionLog.h"

#include <QPointer>
#include <QSettings>
#include <QTimer>

#include <algorithm>

namespace {

const QString providerKey = QStringLiteral("provider");

QString modelKey(Provider provider)
{
    return QStringLiteral("model.") + Providers::rawValue(provider);
}

} // namespace

ModelDiscovery::ModelDiscovery(ModelServerPort& server, QSettings& settings, QObject* parent)
    : QObject(parent), m_server(server), m_settings(settings)
{
    m_provider = Providers::fromRawValue(m_settings.value(providerKey).toString())
                     .value_or(Provider::ollama);
    m_selectedModel = m_settings.value(modelKey(m_provider)).toString();
}

void ModelDiscovery::setProvider(Provider provider)
{
    m_provider = provider;
    emit providerChanged();
    m_settings.setValue(providerKey, Providers::rawValue(provider));
    m_capabilities.clear();
    m_contextAsked.clear();
    setModels({});
    select(m_settings.value(modelKey(provider)).toString());
    setServerState(ServerState::unknown);
    startRefresh();
}

void ModelDiscovery::setSelectedModel(const QString& model)
{
    select(model);
    if (m_panelOpen && m_serverState == ServerState::running)
        m_warmUpWanted = true;
    warmUpIfWanted();
}

void ModelDiscovery::select(const QString& model)
{
    m_selectedModel = model;
    emit selectedModelChanged();
    m_settings.setValue(modelKey(m_provider), model);
}

void ModelDiscovery::markDown()
{
    setServerState(ServerState::down);
}

void ModelDiscovery::startRefresh()
{
    QTimer::singleShot(0, this, [this] { refresh(); });
}

QCoro::Task<> ModelDiscovery::refresh()
{
    const Provider asked = m_provider;
    QPointer<ModelDiscovery> self(this);
    const Result<QStringList> listed = co_await m_server.listModels(asked);
    if (!self || m_provider != asked)
        co_return;
    m_refusal = !listed && listed.failure().domain == ModelServerPort::refusedAddress
                    ? listed.failure().description
                    : QString();
    if (!listed) {
        qCDebug(lcSession) << "model listing failed:" << listed.failure().description;
        setModels({});
        setServerState(ServerState::down);
        co_return;
    }
    m_capabilities.clear();
    setModels(listed.value());
    setServerState(ServerState::running);
    if (!m_models.contains(m_selectedModel)) {
        const QString chosen = co_await choose(m_models);
        if (!self || m_provider != asked)
            co_return;
        select(chosen);
    }
    warmUpIfWanted();
}

void ModelDiscovery::setPanelOpen(bool open)
{
    m_panelOpen = open;
    m_warmUpWanted = open;
    if (open)
        startRefresh();
}

QCoro::Task<QString> ModelDiscovery::choose(const QStringList& listed)
{
    // What the server says is asked of the first few models only: a listing can be long.
    constexpr qsizetype askedAtMost = 16;
    const QStringList names = listed; // the listing may change while the server is asked
    QPointer<ModelDiscovery> self(this);
    const qsizetype asked = std::min(names.size(), askedAtMost);
    for (qsizetype i = 0; i < asked; ++i) {
        co_await capabilities(names[i]);
        if (!self)
            co_return QString();
        if (takesImages(names[i]))
            co_return names[i];
    }
    const auto vision = std::find_if(names.begin() + asked, names.end(), &LLMClient::isVision);
    co_return vision != names.end() ? *vision : names.value(0);
}

void ModelDiscovery::setModels(const QStringList& models)
{
    m_models = models;
    emit modelsChanged();
}

void ModelDiscovery::setServerState(ServerState state)
{
    m_serverState = state;
    emit serverStateChanged();
}
