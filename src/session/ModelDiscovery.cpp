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
    setModels({});
    setSelectedModel(m_settings.value(modelKey(provider)).toString());
    setServerState(ServerState::unknown);
    startRefresh();
}

void ModelDiscovery::setSelectedModel(const QString& model)
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
    setModels(listed.value());
    setServerState(ServerState::running);
    if (!m_models.contains(m_selectedModel))
        setSelectedModel(choose(m_models));
}

QString ModelDiscovery::choose(const QStringList& listed) const
{
    const auto vision = std::find_if(listed.begin(), listed.end(), &LLMClient::isVision);
    return vision != listed.end() ? *vision : listed.value(0);
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
