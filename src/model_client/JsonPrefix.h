// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>

/// What the start of a JSON object says so far, as a model generates it: the members whose
/// values are complete, and the string value being written, as far as it goes. A number counts
/// as complete only once something follows it, so "12" is not taken for the start of "123".
/// Nested values are passed over. Pure; the text is untrusted.
struct JsonPrefix
{
    /// The members complete so far (nested objects and arrays left out).
    QJsonObject complete;
    /// The member whose string value is still being written, and that string so far.
    QString openKey;
    QString openString;

    /// Reads the first object of `text` up to where it ends or stops making sense.
    static JsonPrefix read(QStringView text);
};
