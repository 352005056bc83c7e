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

QUrl base(Provider provider, quint16 port)
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port);
    url.setPath(provider == Provider::lmStudio ? QStringLiteral("/v1") : QString());
    return url;
}

QUrl endpoint(const QUrl& base, const QString& path)
{
    QUrl url = base;
    url.setPath(base.path() + u'/' + path);
    return url;
}

QString listPath(Provider provider)
{
    return provider == Provider::ollama ? QStringLiteral("api/tags") : QStringLiteral("models");
}

QString chatPath(Provider provider)
{
    return provider == Provider::ollama ? QStringLiteral("api/chat")
                                        : QStringLiteral("chat/completions");
}

} // namespace Providers
