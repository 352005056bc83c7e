// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

/// The model's answer: an element id, or done, or both.
struct ModelReply
{
    std::optional<qint64> id;
    QString explanation;
    bool done = false;

    friend bool operator==(const ModelReply&, const ModelReply&) = default;
};
