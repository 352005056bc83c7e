// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model_client/Provider.h"

#include <QString>
#include <QtGlobal>

#include <optional>

/// One chat request: a system and a user message, and for vision models one image.
struct ChatRequest
{
    Provider provider = Provider::ollama;
    QString model;
    QString system;
    QString user;
    /// A JPEG, base64-encoded.
    std::optional<QString> imageBase64;
    /// The context the server is asked to run the model with, in tokens; absent leaves the
    /// server's default. Only Ollama takes it with a request.
    std::optional<qint64> contextTokens;
    /// Whether the reply is held to the reply schema (where the server takes one).
    bool replySchema = false;
};
