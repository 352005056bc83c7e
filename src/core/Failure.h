// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <utility>

/// Why an operation that can fail did not produce its value. `description` is a complete
/// text a person can read; the session shows it as it stands or inside a fixed sentence.
struct Failure
{
    Failure(QString text, QString errorDomain = {}, int errorCode = 0)
        : description(std::move(text)), domain(std::move(errorDomain)), code(errorCode)
    {
    }

    QString description;
    QString domain;
    int code = 0;
};
