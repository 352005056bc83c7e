// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

/// The model's reply to a chat request.
struct ChatAnswer
{
    QString text;
    /// How many prompt tokens the server says it read, when it says so.
    std::optional<qint64> promptTokens;
};
