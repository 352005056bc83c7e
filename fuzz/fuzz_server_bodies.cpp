// SPDX-License-Identifier: GPL-3.0-or-later
// Any listing, description or chat body a model server sends decodes to names, capabilities, a
// reply or a failure; a streamed body, however the network cuts it, to the same.
#include "model_client/ChatStream.h"
#include "model_client/ModelServerWire.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (Provider provider : Providers::allCases) {
        const Result<QStringList> names = ModelServerWire::decodeModelList(provider, body);
        if (names && provider == Provider::lmStudio) {
            for (const QString& name : names.value()) {
                if (name.toLower().contains(QLatin1String("embed")))
                    __builtin_trap(); // embedding models are never offered
            }
        }
        (void)ModelServerWire::decodeChatReply(provider, body);
        const Result<ChatAnswer> whole = ChatStream::decode(provider, body);
        ChatStream pieces(provider);
        const qsizetype cut =
            body.isEmpty() ? 0 : static_cast<unsigned char>(body[0]) % body.size();
        pieces.feed(QByteArrayView(body).first(cut));
        pieces.feed(QByteArrayView(body).sliced(cut));
        const Result<ChatAnswer> cutUp = pieces.finish();
        if (whole.ok() != cutUp.ok() || (whole && whole.value().text != cutUp.value().text))
            __builtin_trap(); // where the body is cut changes nothing
        (void)ModelServerWire::decodeCapabilities(provider, QStringLiteral("m"), body);
    }
    (void)ModelServerWire::httpFailure(500, body);
    return 0;
}
