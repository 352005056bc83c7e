// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ElementMerging.h"

#include "core/Graphemes.h"

#include <QStringList>

namespace ElementMerging {

namespace {

QList<GuideElement> keptAccessibilityElements(const QList<GuideElement>& ax, const QRectF& window)
{
    QList<GuideElement> kept;
    for (const GuideElement& element : ax) {
        if (kept.size() == maxAccessibilityElements)
            break;
        if (element.isMenuBar || element.frame.intersects(window))
            kept.append(element);
    }
    return kept;
}

bool namedByAny(const QStringList& lowerTitles, const QString& lowerLine)
{
    for (const QString& title : lowerTitles) {
        if (!title.isEmpty() && title.contains(lowerLine))
            return true;
    }
    return false;
}

} // namespace

QList<GuideElement> merge(const QList<GuideElement>& ax, const QList<TextLine>& lines,
                          const QRectF& window)
{
    QList<GuideElement> result = keptAccessibilityElements(ax, window);
    QStringList lowerTitles;
    lowerTitles.reserve(result.size());
    for (const GuideElement& element : result)
        lowerTitles.append(element.title.toLower());

    qsizetype added = 0;
    for (const TextLine& line : lines) {
        if (added == maxTextElements)
            break;
        if (Graphemes::count(line.text) < shortestLine)
            continue;
        if (namedByAny(lowerTitles, line.text.toLower()))
            continue;
        result.append(
            {0, QStringLiteral("text"), line.text, line.frame, GuideElement::Source::text, false});
        ++added;
    }
    for (qsizetype i = 0; i < result.size(); ++i)
        result[i].id = i + 1;
    return result;
}

} // namespace ElementMerging
