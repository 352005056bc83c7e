#pragma once

#include "core/Result.h"
#include "model_client/Provider.h"

#include <QString>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <optional>

/// The two requests the session makes of a local model server.
class ModelServerPort
{
public:
    virtual ~ModelServerPort() = default;

    /// The domain of failures that say the server's address was refused (it is not on this
    /// computer); their description is meant for the status line as it stands.
    inline static const QString refusedAddress = QStringLiteral("address");

    /// The server's model names, sorted; fails when the server cannot be reached or its
    /// answer is not JSON.
    virtual QCoro::Task<Result<QStringList>> listModels(Provider provider) = 0;

    /// One non-streaming chat request; the reply text, or a failure with a readable
    /// description. `imageBase64` is a JPEG for vision models, absent otherwise.
    ///
    /// Coroutines here take their arguments by reference (GCC 12 destroys by-value coroutine
    /// parameters of class type twice): callers await the call at once, keeping them alive.
    virtual QCoro::Task<Result<QString>> ask(Provider provider, const QString& model,
                                             const QString& system, const QString& user,
                                             const std::optional<QString>& imageBase64) = 0;
};
