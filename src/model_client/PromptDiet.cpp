// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/PromptDiet.h"

namespace PromptDiet {

namespace {

// The letters and digits of a text, in lower case: what reading and labelling agree on.
QString compact(const QString& text)
{
    QString letters;
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            letters += c.toLower();
    }
    return letters;
}

// A recognised line that says nothing the labels of the accessibility elements under it do not.
bool repeatsLabels(const GuideElement& line, const QList<GuideElement>& elements)
{
    const QString words = compact(line.title);
    QString rest = words;
    for (const GuideElement& e : elements) {
        if (e.source == GuideElement::Source::accessibility && e.frame.intersects(line.frame)) {
            if (const QString label = compact(e.title); !label.isEmpty())
                rest.remove(label);
        }
    }
    return rest.size() < words.size() && rest.size() <= noiseCharacters;
}

} // namespace

QList<bool> worthSending(const QList<GuideElement>& elements)
{
    QList<bool> worth;
    worth.reserve(elements.size());
    for (const GuideElement& e : elements) {
        worth.append(e.source == GuideElement::Source::accessibility ||
                     (compact(e.title).size() >= 2 && !repeatsLabels(e, elements)));
    }
    return worth;
}

} // namespace PromptDiet
