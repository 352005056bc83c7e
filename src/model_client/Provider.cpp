// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/Provider.h"

namespace Providers {

QString rawValue(Provider provider)
{
    return provider == Provider::ollama ? QStringLiteral("Ollama") : QStringLiteral("LM Studio");
}

std::optional<Provider> fromRawValue(const QString& text)
{
    for (Provider provider : allCases) {
        if (rawValue(provider) == text)
            return provider;
    }
    return std::nullopt;
}

quint16 defaultPort(Provider provider)
{
    return provider == Provider::ollama ? 11434 : 1234;
}

} // namespace Providers
