// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModelServerStandIn.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cmath>

// Published llama.cpp figures (llama-bench prompt "pp512" and generation "tg128" rates):
// - Laptop GPU: Ollama running llama3.1:8b at 4-bit on an RTX 4060 Laptop GPU generates 47.2
//   tokens/s (llmfit benchmark results, github.com/AlexsJones/llmfit pull 958); llama 7B Q4_0
//   reads prompts at 912 tokens/s on a Tesla P40, a GPU of laptop-class compute without tensor
//   cores (llama.cpp pull 4766), taken as the laptop's rate; LLaVA's CLIP encoder on a GPU
//   takes 0.9 s for a 576-patch picture (llama.cpp pull 8984, Vulkan).
// - CPU only: LLaMA-3.1-8B Q4_K_S reads prompts at 259 tokens/s on a 16-core Ryzen 7950X
//   (ik_llama.cpp pull 182, mainline column) and a 4-bit 8B model generates about 11 tokens/s
//   there (ik_llama.cpp pull 121, tg128 at 4 threads); LLaVA's CLIP encoder on a CPU takes 4.3 s
//   (llama.cpp pull 8984).
// A LLaVA-style model at 336 pixels turns a picture into 576 tokens.
const ModelServerStandIn::Profile ModelServerStandIn::laptopGpu{"laptop GPU", 912, 47.2, 900, 576};
const ModelServerStandIn::Profile ModelServerStandIn::cpuOnly{"CPU only", 259, 11, 4300, 576};

namespace {

// Text of this many bytes makes a token, about as a Llama tokenizer cuts English and JSON.
constexpr double bytesPerToken = 3.6;
constexpr qsizetype pieceCharacters = 4;

QByteArray json(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void reply(QTcpSocket* socket, const QByteArray& body)
{
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

QByteArray chunk(const QByteArray& bytes)
{
    return QByteArray::number(bytes.size(), 16) + "\r\n" + bytes + "\r\n";
}

} // namespace

ModelServerStandIn::ModelServerStandIn(Profile profile,
                                       std::function<QString(const QJsonObject&)> answer)
    : m_profile(profile), m_answer(std::move(answer))
{
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        }
    });
}

QString ModelServerStandIn::modelName() const
{
    return vision ? QStringLiteral("llava-llama3:8b") : QStringLiteral("llama3.1:8b");
}

void ModelServerStandIn::readRequest(QTcpSocket* socket)
{
    QByteArray received = socket->property("received").toByteArray() + socket->readAll();
    socket->setProperty("received", received);
    const qsizetype headEnd = received.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return;
    const QByteArray head = received.left(headEnd).toLower();
    const qsizetype lengthAt = head.indexOf("content-length:");
    const qsizetype length =
        lengthAt < 0 ? 0
                     : head.mid(lengthAt + 15, head.indexOf('\r', lengthAt) - lengthAt - 15)
                           .trimmed()
                           .toLongLong();
    if (received.size() < headEnd + 4 + length)
        return;
    socket->setProperty("received", QByteArray());
    const QByteArray path = received.left(received.indexOf('\r')).split(' ').value(1);
    answer(socket, path, QJsonDocument::fromJson(received.mid(headEnd + 4, length)).object());
}

void ModelServerStandIn::answer(QTcpSocket* socket, const QByteArray& path,
                                const QJsonObject& request)
{
    if (path == "/api/tags")
        return reply(socket, json({{"models", QJsonArray{QJsonObject{{"name", modelName()}}}}}));
    if (path == "/api/show") {
        const QJsonArray capabilities =
            vision ? QJsonArray{"completion", "vision"} : QJsonArray{"completion"};
        return reply(socket, json({{"capabilities", capabilities},
                                   {"model_info", QJsonObject{{"general.architecture", "llama"},
                                                              {"llama.context_length", 8192}}}}));
    }
    if (path == "/api/chat")
        return answerChat(socket, request);
    reply(socket, json({{"done", true}})); // a load: the model is loaded already
}

QByteArray ModelServerStandIn::promptOf(const QJsonObject& request)
{
    // The picture's tokens come before the user's text, as LLaVA's template places them; a
    // picture stands here as its digest, counted as its own tokens.
    const QJsonArray messages = request.value("messages").toArray();
    QByteArray prompt = messages[0].toObject().value("content").toString().toUtf8();
    const QJsonObject user = messages[1].toObject();
    for (const QJsonValue& image : user.value("images").toArray()) {
        prompt +=
            "\n<image " +
            QCryptographicHash::hash(image.toString().toLatin1(), QCryptographicHash::Md5).toHex() +
            ">";
    }
    return prompt + '\n' + user.value("content").toString().toUtf8();
}

void ModelServerStandIn::answerChat(QTcpSocket* socket, const QJsonObject& request)
{
    const QByteArray prompt = promptOf(request);
    qsizetype common = 0;
    if (keepsPrefix) {
        const qsizetype most = std::min(prompt.size(), m_lastPrompt.size());
        while (common < most && prompt[common] == m_lastPrompt[common])
            ++common;
    }
    m_lastPrompt = prompt;
    const int images =
        int(request.value("messages")[1].toObject().value("images").toArray().size());
    const bool imageCached =
        images > 0 && prompt.indexOf("<image ") >= 0 && common > prompt.indexOf("<image ") + 40;
    const qint64 textTokens = qint64(std::ceil(prompt.size() / bytesPerToken));
    const qint64 cachedTokens = qint64(common / bytesPerToken);
    const qint64 promptTokens = textTokens + qint64(images) * m_profile.tokensPerImage;
    const qint64 uncached =
        promptTokens - cachedTokens - (imageCached ? qint64(images) * m_profile.tokensPerImage : 0);
    const double promptMs = (imageCached ? 0 : images * m_profile.imageEncodeMs) +
                            1000.0 * double(uncached) / m_profile.promptTokensPerSecond;
    served.append({promptTokens, promptTokens - uncached, promptMs});

    const QString text = m_answer(request);
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < text.size(); at += pieceCharacters) {
        pieces.append(json({{"model", modelName()},
                            {"message", QJsonObject{{"role", "assistant"},
                                                    {"content", text.mid(at, pieceCharacters)}}},
                            {"done", false}}) +
                      '\n');
    }
    pieces.append(json({{"model", modelName()},
                        {"message", QJsonObject{{"role", "assistant"}, {"content", ""}}},
                        {"done", true},
                        {"prompt_eval_count", uncached}}) +
                  '\n');
    const double tokenMs = 1000.0 / m_profile.generatedTokensPerSecond;
    QPointer<QTcpSocket> open(socket);
    if (!streams || !request.value("stream").toBool()) {
        QTimer::singleShot(
            int(promptMs + tokenMs * double(pieces.size())), Qt::PreciseTimer, this, [open, text] {
                if (open) {
                    reply(open,
                          json({{"message", QJsonObject{{"role", "assistant"}, {"content", text}}},
                                {"done", true}}));
                }
            });
        return;
    }
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/x-ndjson\r\n"
                  "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n");
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        QTimer::singleShot(int(promptMs + tokenMs * double(i + 1)), Qt::PreciseTimer, this,
                           [open, piece = pieces[i], last] {
                               if (!open)
                                   return;
                               open->write(chunk(piece) + (last ? chunk({}) : QByteArray()));
                               if (last)
                                   open->disconnectFromHost();
                           });
    }
}
