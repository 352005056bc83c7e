#pragma once

#include "core/ServerState.h"
#include "model_client/Provider.h"

#include <QObject>
#include <QStringList>

#include <QCoro/QCoroTask>

class ModelServerPort;
class QSettings;

/// Which model server and model the session talks to: the chosen provider, whether its server
/// answers, the models it offers and the one in use, remembered per provider across launches.
/// Lives on the main thread; every property announces each assignment.
class ModelDiscovery : public QObject
{
    Q_OBJECT
public:
    /// Reads the remembered provider and model back, writing nothing.
    ModelDiscovery(ModelServerPort& server, QSettings& settings, QObject* parent = nullptr);

    Provider provider() const { return m_provider; }
    /// Switches the provider: remembers it, loads its remembered model and lists again.
    void setProvider(Provider provider);
    QStringList models() const { return m_models; }
    QString selectedModel() const { return m_selectedModel; }
    /// Uses `model` and remembers it for the current provider.
    void setSelectedModel(const QString& model);
    ServerState serverState() const { return m_serverState; }
    /// Why the server is not contacted at all (its address was refused), or empty.
    QString refusal() const { return m_refusal; }
    /// A request to the server failed.
    void markDown();

    /// One listing attempt for the current provider. A result that arrives after the provider
    /// changed leaves no trace.
    QCoro::Task<> refresh();
    /// Queues a refresh to run after the caller returns.
    void startRefresh();

signals:
    void providerChanged();
    void modelsChanged();
    void selectedModelChanged();
    void serverStateChanged();

private:
    void setModels(const QStringList& models);
    void setServerState(ServerState state);
    /// The model a listing leads to when the chosen one is not offered: the first vision model,
    /// else the first model, else none.
    QString choose(const QStringList& listed) const;

    ModelServerPort& m_server;
    QSettings& m_settings;
    Provider m_provider = Provider::ollama;
    QStringList m_models;
    QString m_selectedModel;
    ServerState m_serverState = ServerState::unknown;
    QString m_refusal;
};
