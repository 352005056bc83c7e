#pragma once

#include "model_client/ModelServerPort.h"

#include <QObject>
#include <map>

#include <QCoro/QCoroSignal>

/// A model server answering from a script. While `held` is set, requests wait until
/// `release()`, so tests can act in the middle of a step.
class FakeModelServer : public QObject, public ModelServerPort
{
    Q_OBJECT
public:
    struct Asked
    {
        Provider provider;
        QString model;
        QString system;
        QString user;
        std::optional<QString> image;
    };

    std::map<Provider, Result<QStringList>> listings{
        {Provider::ollama, Failure{QStringLiteral("Connection refused")}},
        {Provider::lmStudio, Failure{QStringLiteral("Connection refused")}}};
    Result<QString> reply = QString();
    QList<Asked> asked;
    QList<Provider> listed;
    qsizetype listingsAnswered = 0;
    bool held = false;

    void release() { emit released(); }

    QCoro::Task<Result<QStringList>> listModels(Provider provider) override
    {
        listed.append(provider);
        if (held)
            co_await qCoro(this, &FakeModelServer::released);
        Result<QStringList> answer = listings.at(provider); // a copy: the script is reused
        ++listingsAnswered;
        co_return answer;
    }

    QCoro::Task<Result<QString>> ask(Provider provider, const QString& model, const QString& system,
                                     const QString& user,
                                     const std::optional<QString>& image) override
    {
        asked.append({provider, model, system, user, image});
        if (held)
            co_await qCoro(this, &FakeModelServer::released);
        Result<QString> answer = reply;
        co_return answer;
    }

signals:
    void released();
};
