#pragma once

#include "model_client/ModelReply.h"
#include "model_client/ModelServer.h"
#include "recognize/TextLine.h"
#include "session/GuideElement.h"
#include "session/Step.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QNetworkAccessManager>
#include <QObject>

#include <chrono>

/// Talks to Ollama or LM Studio on this machine: listing models and asking for the next step.
/// The static operations (prompts, parsing, wire formats) are pure and may run on any thread.
class LLMClient : public QObject, public ModelServer
{
    Q_OBJECT
public:
    /// Bodies larger than this are refused while they arrive rather than buffered.
    static constexpr qint64 maxBodyBytes = 16 * 1024 * 1024;
    static constexpr int maxJpegWidth = 1568;

    struct Timeouts
    {
        /// The whole model listing; a server that takes longer counts as not running.
        std::chrono::milliseconds listing{2500};
        /// How long a chat request may stay idle before it fails.
        std::chrono::milliseconds chatIdle{240'000};
        /// The whole chat request, so a server that trickles bytes cannot hold it open.
        std::chrono::milliseconds chatTotal{900'000};
    };

    /// Talks to each provider on its fixed port of the loopback interface.
    explicit LLMClient(QObject* parent = nullptr);

    /// Talks to the given loopback ports instead (tests run fake servers on free ports).
    LLMClient(QMap<Provider, quint16> ports, Timeouts timeouts, QObject* parent = nullptr);

    QCoro::Task<Result<QStringList>> listModels(Provider provider) override;
    QCoro::Task<Result<QString>> ask(Provider provider, const QString& model, const QString& system,
                                     const QString& user,
                                     const std::optional<QString>& imageBase64) override;

    /// Whether a model name denotes a model that accepts images.
    static bool isVision(const QString& model);

    static const QString systemPrompt;
    static QString userPrompt(const QString& goal, const QList<Step>& steps,
                              const QList<GuideElement>& elements, const QRectF& window);

    /// The model's choice in a reply text, or absent when no usable object is in it.
    static std::optional<ModelReply> parse(const QString& reply,
                                           const QList<GuideElement>& elements);

    /// Decodes a model listing body: the names, sorted; a failure when it is not JSON.
    static Result<QStringList> decodeModelList(Provider provider, const QByteArray& body);

    /// The JSON body of a chat request.
    static QByteArray chatBody(Provider provider, const QString& model, const QString& system,
                               const QString& user, const std::optional<QString>& imageBase64);

    /// The reply text of a chat response body; the empty text when the path is missing, a
    /// failure when the body is not JSON.
    static Result<QString> decodeChatReply(Provider provider, const QByteArray& body);

    /// The failure for an HTTP status of 400 or more.
    static Failure httpFailure(int status, const QByteArray& body);

private:
    struct Response
    {
        int status = 0;
        QByteArray body;
    };

    QUrl base(Provider provider) const;
    QCoro::Task<Result<Response>> send(const QNetworkRequest& request, const QByteArray& body,
                                       bool post, std::chrono::milliseconds total);

    QNetworkAccessManager m_network;
    QMap<Provider, quint16> m_ports;
    Timeouts m_timeouts;
};
