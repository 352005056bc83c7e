// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Cancellation.h"
#include "core/Result.h"
#include "model_client/ChatAnswer.h"
#include "model_client/ChatRequest.h"
#include "model_client/ModelCapabilities.h"
#include "model_client/Provider.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

#include <QCoro/QCoroTask>

/// What the session asks of a local model server.
class ModelServerPort
{
public:
    virtual ~ModelServerPort() = default;

    /// The domain of failures that say the server's address was refused (it is not on this
    /// computer); their description is meant for the status line as it stands.
    inline static const QString refusedAddress = QStringLiteral("address");

    /// The longest a chat request may take, whatever the server does; the panel shows it as it
    /// runs out. A model may load and read the prompt for most of it before its first token,
    /// so this is also how long a model may think before it answers.
    static constexpr std::chrono::seconds longestChat{240};

    /// The server's model names, sorted; fails when the server cannot be reached or its
    /// answer is not JSON.
    virtual QCoro::Task<Result<QStringList>> listModels(Provider provider) = 0;

    /// What the server says `model` can do; fails when it cannot be asked or does not know the
    /// model. Every field of the answer is optional.
    ///
    /// Coroutines here take their arguments by reference (GCC 12 destroys by-value coroutine
    /// parameters of class type twice): callers await the call at once, keeping them alive.
    virtual QCoro::Task<Result<ModelCapabilities>> capabilities(Provider provider,
                                                                const QString& model) = 0;

    /// Asks the server to load `model` with a context of `contextTokens` and keep it loaded,
    /// and returns at once; the outcome is only logged. Nothing is retried.
    virtual void warmUp(Provider provider, const QString& model, qint64 contextTokens) = 0;

    /// Hears the answer's text so far each time it grows, on the main thread.
    using TextSoFar = std::function<void(const QString& text)>;

    /// One chat request, its answer streamed: `textSoFar` (when set) hears the text as it
    /// grows; the result is the whole reply, or a failure with a readable description.
    /// `cancellation` ends the request at once (its connection closed); the failure then says
    /// so, for a caller that no longer listens.
    virtual QCoro::Task<Result<ChatAnswer>> ask(const ChatRequest& request,
                                                const Cancellation& cancellation,
                                                const TextSoFar& textSoFar) = 0;
};
