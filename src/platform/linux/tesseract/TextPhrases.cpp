// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/tesseract/TextPhrases.h"

#include <algorithm>

namespace TextPhrases {

QList<Phrase> split(const QList<Phrase>& words)
{
    QList<Phrase> phrases;
    for (const Phrase& word : words) {
        if (word.text.trimmed().isEmpty())
            continue;
        if (!phrases.isEmpty()) {
            Phrase& last = phrases.last();
            const int height = std::max(last.box.height(), word.box.height());
            const int gap = word.box.left() - last.box.right();
            if (gap <= splitGap * height) {
                last.text += u' ' + word.text;
                last.box = last.box.united(word.box);
                continue;
            }
        }
        phrases.append(word);
    }
    return phrases;
}

namespace {

bool overlaps(const QRect& a, const QRect& b)
{
    const QRect common = a.intersected(b);
    if (common.isEmpty())
        return false;
    const qint64 smaller = std::min(qint64(a.width()) * a.height(), qint64(b.width()) * b.height());
    return 2 * qint64(common.width()) * common.height() >= smaller;
}

} // namespace

QList<Phrase> merge(QList<Phrase> primary, const QList<Phrase>& secondary)
{
    const qsizetype primaryCount = primary.size();
    for (const Phrase& candidate : secondary) {
        const bool known =
            std::any_of(primary.begin(), primary.begin() + primaryCount,
                        [&](const Phrase& p) { return overlaps(p.box, candidate.box); });
        if (!known)
            primary.append(candidate);
    }
    return primary;
}

bool isDark(const QImage& image)
{
    // A sparse sample is enough to tell a dark theme from a light one.
    const int stepX = std::max(1, image.width() / 64);
    const int stepY = std::max(1, image.height() / 64);
    qint64 sum = 0;
    qint64 count = 0;
    for (int y = 0; y < image.height(); y += stepY) {
        for (int x = 0; x < image.width(); x += stepX) {
            sum += qGray(image.pixel(x, y));
            ++count;
        }
    }
    return count > 0 && sum < 128 * count;
}

} // namespace TextPhrases
