// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// User-perceived characters (extended grapheme clusters), as Qt's text boundaries find them.
namespace Graphemes {

qsizetype count(const QString& text);

/// The first `n` user-perceived characters of `text`; never splits one.
QString left(const QString& text, qsizetype n);

} // namespace Graphemes
