// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/LLMClient.h"

#include <QStringList>

#include <algorithm>

namespace LLMClient {

namespace {

// Name fragments of the model families that take images.
const QStringList visionFragments{QStringLiteral("vision"),     QStringLiteral("llava"),
                                  QStringLiteral("moondream"),  QStringLiteral("minicpm-v"),
                                  QStringLiteral("qwen2.5vl"),  QStringLiteral("qwen2-vl"),
                                  QStringLiteral("qwen2.5-vl"), QStringLiteral("gemma3"),
                                  QStringLiteral("bakllava"),   QStringLiteral("-vl")};

} // namespace

bool isVision(const QString& model)
{
    const QString lower = model.toLower();
    return std::any_of(visionFragments.begin(), visionFragments.end(),
                       [&lower](const QString& fragment) { return lower.contains(fragment); });
}

} // namespace LLMClient
