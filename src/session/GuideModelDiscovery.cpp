// Which model server and model the session talks to, remembered per provider.
#include "model_client/LLMClient.h"
#include "session/GuideModel.h"

#include <QPointer>
#include <QSettings>
#include <QTimer>

#include <algorithm>

void GuideModel::setProvider(Provider provider)
{
    m_provider = provider;
    emit providerChanged();
    m_services.settings.setValue(QStringLiteral("provider"), Providers::rawValue(provider));
    setModels({});
    setSelectedModel(m_services.settings.value(modelKey(provider)).toString());
    setServerState(ServerState::unknown);
    startRefresh();
}

void GuideModel::setSelectedModel(const QString& model)
{
    m_selectedModel = model;
    emit selectedModelChanged();
    m_services.settings.setValue(modelKey(m_provider), model);
}

void GuideModel::startRefresh()
{
    QTimer::singleShot(0, this, [this] { refreshModels(); });
}

QCoro::Task<> GuideModel::refreshModels()
{
    const Provider asked = m_provider;
    QPointer<GuideModel> self(this);
    const Result<QStringList> listed = co_await m_services.modelServer.listModels(asked);
    // A result for a provider that is no longer chosen leaves no trace.
    if (!self || m_provider != asked)
        co_return;
    if (!listed) {
        qCDebug(lcSession) << "model listing failed:" << listed.failure().description;
        setModels({});
        setServerState(ServerState::down);
        co_return;
    }
    const QStringList& names = listed.value();
    setModels(names);
    setServerState(ServerState::running);
    if (names.contains(m_selectedModel))
        co_return;
    const auto vision = std::find_if(names.begin(), names.end(), &LLMClient::isVision);
    setSelectedModel(vision != names.end() ? *vision : names.isEmpty() ? QString() : names.first());
}
