// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/FieldLabels.h"

#include "observe/AccessibilityReader.h"

#include <algorithm>
#include <optional>

namespace FieldLabels {

namespace {

bool withinAnElement(const TextLine& text, const QList<GuideElement>& elements)
{
    const QPointF centre = text.frame.center();
    return std::any_of(elements.begin(), elements.end(), [&](const GuideElement& e) {
        return e.source == GuideElement::Source::accessibility && e.frame.contains(centre);
    });
}

// How far before `field` on its line the text ends, when it is such a label. Only a field of
// about one line has a line to share; a taller one is labelled from above.
std::optional<double> gapOnLine(const QRectF& field, const QRectF& text)
{
    const double centre = text.center().y();
    const double gap = field.left() - text.right();
    if (field.height() > linesHigh * text.height() || centre < field.top() ||
        centre > field.bottom() || text.left() >= field.left() || gap < -slack ||
        gap > sameLineReach)
        return std::nullopt;
    return gap;
}

// How far above `field` the text ends, when it is such a label.
std::optional<double> gapAbove(const QRectF& field, const QRectF& text)
{
    const double gap = field.top() - text.bottom();
    if (gap < -slack || gap > aboveReach || text.left() < field.left() - slack ||
        text.left() >= field.right())
        return std::nullopt;
    return gap;
}

// Whether another element stands between a text and the field it would label.
bool somethingBetween(const QRectF& field, const QRectF& text, const QList<GuideElement>& elements)
{
    const QRectF between = text.united(field);
    return std::any_of(elements.begin(), elements.end(), [&](const GuideElement& e) {
        if (e.frame == field || e.source != GuideElement::Source::accessibility ||
            !between.contains(e.frame.center()))
            return false;
        const bool beside =
            e.frame.left() >= text.right() - slack && e.frame.right() <= field.left() + slack;
        const bool below =
            e.frame.top() >= text.bottom() - slack && e.frame.bottom() <= field.top() + slack;
        return beside || below;
    });
}

std::optional<QString> labelOf(const QRectF& field, const QList<const TextLine*>& texts,
                               const QList<GuideElement>& elements)
{
    for (const auto& gapOf : {gapOnLine, gapAbove}) {
        const TextLine* nearest = nullptr;
        double nearestGap = 0;
        for (const TextLine* text : texts) {
            const std::optional<double> gap = gapOf(field, text->frame);
            if (gap && somethingBetween(field, text->frame, elements))
                continue;
            if (gap && (!nearest || *gap < nearestGap)) {
                nearest = text;
                nearestGap = *gap;
            }
        }
        // The text as it stands (a colon and all), so the merge knows it as this field's.
        if (nearest && !nearest->text.trimmed().isEmpty())
            return nearest->text.trimmed();
    }
    return std::nullopt;
}

} // namespace

QList<GuideElement> nameUnlabelled(QList<GuideElement> elements, const QList<TextLine>& texts)
{
    QList<const TextLine*> free;
    for (const TextLine& text : texts) {
        if (!withinAnElement(text, elements))
            free.append(&text);
    }
    for (GuideElement& element : elements) {
        if (element.source != GuideElement::Source::accessibility ||
            element.title != AccessibilityReader::unlabeled)
            continue;
        if (const std::optional<QString> label = labelOf(element.frame, free, elements))
            element.title = *label;
    }
    return elements;
}

} // namespace FieldLabels
