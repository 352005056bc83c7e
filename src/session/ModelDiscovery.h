// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ServerState.h"
#include "model_client/ModelCapabilities.h"
#include "model_client/Provider.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <QCoro/QCoroTask>

class ModelServerPort;
class QSettings;

/// Which model server and model the session talks to: the chosen provider, whether its server
/// answers, the models it offers and the one in use, remembered per provider across launches;
/// what each model can do, and how large a context it is run with. Keeps the chosen model
/// loaded while the panel is open. Lives on the main thread; every property announces each
/// assignment.
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
    /// Uses `model` and remembers it for the current provider; while the panel is open, the
    /// server is asked to load it.
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
    /// Opening the panel lists the models again and, once the server answered, asks it to
    /// load the chosen model, so the first step does not wait for the load.
    void setPanelOpen(bool open);

    /// What the server says `model` can do: asked once per listing, and again while LM Studio
    /// reports the model not loaded (its context is known only once it is). A server that does
    /// not answer leaves every field absent.
    QCoro::Task<ModelCapabilities> capabilities(const QString& model);
    /// Whether `model` is sent images: what the server says, else what its name suggests.
    bool takesImages(const QString& model) const;
    /// Whether the server holds `model`'s replies to a schema: only where it says so.
    bool takesReplySchema(const QString& model) const;
    /// The largest context a request to `model` may fill, in tokens.
    qint64 contextLimit(const QString& model) const;
    /// The smallest context to ask for: the largest asked for `model` so far, so that the
    /// server does not reload the model for a smaller one.
    qint64 contextFloor(const QString& model) const;
    void noteContextAsked(const QString& model, qint64 context);

signals:
    void providerChanged();
    void modelsChanged();
    void selectedModelChanged();
    void serverStateChanged();

private:
    void select(const QString& model);
    void warmUpIfWanted();
    QCoro::Task<> warmUp(const QString& model);
    void setModels(const QStringList& models);
    void setServerState(ServerState state);
    /// The model a listing leads to when the chosen one is not offered: the first vision model,
    /// else the first model, else none.
    QCoro::Task<QString> choose(const QStringList& listed);

    ModelServerPort& m_server;
    QSettings& m_settings;
    Provider m_provider = Provider::ollama;
    QStringList m_models;
    QString m_selectedModel;
    ServerState m_serverState = ServerState::unknown;
    QString m_refusal;
    QHash<QString, ModelCapabilities> m_capabilities;
    QHash<QString, qint64> m_contextAsked;
    bool m_panelOpen = false;
    // Set when the panel opens; the load is asked for once the server has answered a listing.
    bool m_warmUpWanted = false;
};
