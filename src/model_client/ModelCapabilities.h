// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <optional>

/// What a model server says one of its models can do. A field the server did not answer is
/// absent, and the caller falls back to what it would assume without it.
struct ModelCapabilities
{
    /// Whether the model reads images.
    std::optional<bool> vision;
    /// The longest context the model was made for, in tokens.
    std::optional<qint64> contextLength;
    /// Whether the model is in the server's memory now (LM Studio says so).
    std::optional<bool> loaded;
    /// The context the loaded model runs with, in tokens (LM Studio, when loaded).
    std::optional<qint64> loadedContextLength;
    /// Whether the server holds the reply to a JSON schema sent with the request: Ollama from
    /// 0.5 (its model descriptions have listed capabilities since after that), LM Studio where
    /// its own API describes its models.
    std::optional<bool> replySchema;

    friend bool operator==(const ModelCapabilities&, const ModelCapabilities&) = default;
};
