// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/OutsideText.h"

#include "core/Graphemes.h"

#include <algorithm>

namespace OutsideText {

namespace {

bool joinsThePrevious(char32_t codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return true;
    default:
        return false;
    }
}

struct Collapsed
{
    QString kept;
    /// Whether the text went on past the code units kept.
    bool cut = false;
};

// Copies at most `maxUnits` code units of `text`, keeping no more than maxMarksInARun joining
// characters in a row; stops early, so a huge text costs no more than its kept part and the
// marks dropped on the way.
Collapsed collapsed(const QString& text, qsizetype maxUnits)
{
    QString kept;
    kept.reserve(std::min(text.size(), maxUnits));
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype width = pair ? 2 : 1;
        const char32_t codePoint =
            pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        run = joinsThePrevious(codePoint) ? run + 1 : 0;
        if (run <= maxMarksInARun) {
            if (kept.size() + width > maxUnits)
                return {kept, true};
            kept.append(QStringView(text).mid(i, width));
        }
        i += width;
    }
    return {kept, false};
}

} // namespace

QString tamed(const QString& text, qsizetype maxGraphemes)
{
    auto [kept, cut] = collapsed(text, maxGraphemes * unitsPerGrapheme);
    // A cut made for the code units may have split the last cluster: it goes too.
    if (cut) {
        const qsizetype whole = Graphemes::count(kept) - 1;
        kept = Graphemes::left(kept, std::max<qsizetype>(whole, 0));
    }
    return Graphemes::left(kept, maxGraphemes);
}

bool isTame(const QString& text, qsizetype maxGraphemes)
{
    return tamed(text, maxGraphemes).size() == text.size();
}

} // namespace OutsideText
