// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Graphemes.h"

#include <QTextBoundaryFinder>

namespace Graphemes {

namespace {

// The code-unit position after the first `n` clusters, or -1 when the text has fewer.
qsizetype endOfFirst(const QString& text, qsizetype n)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype seen = 0;
    while (seen < n) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            return -1;
        ++seen;
    }
    return finder.position();
}

} // namespace

qsizetype count(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype clusters = 0;
    while (finder.toNextBoundary() >= 0)
        ++clusters;
    return clusters;
}

QString left(const QString& text, qsizetype n)
{
    if (text.size() <= n)
        return text; // every cluster is at least one code unit
    const qsizetype end = endOfFirst(text, n);
    return end < 0 ? text : text.left(end);
}

} // namespace Graphemes
