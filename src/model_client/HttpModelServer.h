#pragma once

#include "model_client/ModelServerPort.h"

#include <QByteArray>
#include <QMap>
#include <QNetworkAccessManager>
#include <QObject>

#include <chrono>

/// Ollama or LM Studio on this machine, over HTTP. Every reply is untrusted: its size is
/// capped while it arrives, both requests are bounded in time, and decoding runs off the main
/// thread.
class HttpModelServer : public QObject, public ModelServerPort
{
    Q_OBJECT
public:
    /// Bodies larger than this are refused while they arrive rather than buffered.
    static constexpr qint64 maxBodyBytes = 16 * 1024 * 1024;

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
    explicit HttpModelServer(QObject* parent = nullptr);

    /// Talks to the given loopback ports instead (tests run fake servers on free ports).
    HttpModelServer(QMap<Provider, quint16> ports, Timeouts timeouts, QObject* parent = nullptr);

    QCoro::Task<Result<QStringList>> listModels(Provider provider) override;
    QCoro::Task<Result<QString>> ask(Provider provider, const QString& model, const QString& system,
                                     const QString& user,
                                     const std::optional<QString>& imageBase64) override;

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
