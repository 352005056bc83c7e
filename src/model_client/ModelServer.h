#pragma once

#include "core/Result.h"
#include "model_client/Provider.h"

#include <QString>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <optional>

/// The two requests the session makes of a local model server.
class ModelServer
{
public:
    virtual ~ModelServer() = default;

    /// The server's model names, sorted; fails when the server cannot be reached or its
    /// answer is not JSON.
    virtual QCoro::Task<Result<QStringList>> listModels(Provider provider) = 0;

    /// One non-streaming chat request; the reply text, or a failure with a readable
    /// description. `imageBase64` is a JPEG for vision models, absent otherwise.
    virtual QCoro::Task<Result<QString>> ask(Provider provider, QString model, QString system,
                                             QString user, std::optional<QString> imageBase64) = 0;
};
