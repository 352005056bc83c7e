// SPDX-License-Identifier: GPL-3.0-or-later
// Any reply text a model server sends must parse to a choice or to nothing, never crash; so
// must any start of one, read while it streams in.
#include "model_client/LLMClient.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QList<GuideElement> elements{
        {1,
         QStringLiteral("button"),
         QStringLiteral("Save"),
         {},
         GuideElement::Source::accessibility,
         false},
        {2,
         QStringLiteral("text"),
         QStringLiteral("\u00C9t\u00E9"),
         {},
         GuideElement::Source::text,
         false},
    };
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<ModelReply> reply = LLMClient::parse(text, elements);
    if (reply && !reply->id && !reply->done)
        __builtin_trap(); // a reply names an element or says the goal is done
    const std::optional<ModelReply> early = LLMClient::preview(text, elements);
    if (early && ((!early->id && !early->done) ||
                  early->explanation.size() > LLMClient::maxPreviewCharacters))
        __builtin_trap(); // a reply's start names something, from a bounded read
    return 0;
}
